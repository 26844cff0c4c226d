#pragma once

#include "core/grow_buffer.h"

#include <cstring>

// A list of pointers kept in a GrowBuffer. It does not own its elements unless the
// owner calls DeleteAll (or Delete with deleteObject), which destroys them last to first.
template <typename T> class PointerList {
public:
    PointerList() = default;
    ~PointerList() = default;
    PointerList(const PointerList&) = delete;
    PointerList& operator=(const PointerList&) = delete;

    int Count() const { return buffer_.Size() / static_cast<int>(sizeof(T*)); }

    T* Get(int index) const {
        if (index < 0 || index >= Count()) return nullptr;
        return buffer_.As<T*>()[index];
    }
    T* operator[](int index) const { return Get(index); }

    // Returns the new element's index, or -1 when the list could not grow.
    int Add(T* item) {
        if (!buffer_.Append(&item, sizeof(T*))) return -1;
        return Count() - 1;
    }

    // Inserts before `index` (clamped to 0..Count); returns the index used, or -1.
    int Insert(int index, T* item) {
        int n = Count();
        if (index < 0) index = 0;
        if (index > n) index = n;
        if (!buffer_.Resize((n + 1) * static_cast<int>(sizeof(T*)))) return -1;
        T** items = buffer_.As<T*>();
        std::memmove(items + index + 1, items + index, (n - index) * sizeof(T*));
        items[index] = item;
        return index;
    }

    void Delete(int index, bool deleteObject = false) {
        int n = Count();
        if (index < 0 || index >= n) return;
        T** items = buffer_.As<T*>();
        T* item = items[index];
        std::memmove(items + index, items + index + 1, (n - index - 1) * sizeof(T*));
        buffer_.Resize((n - 1) * static_cast<int>(sizeof(T*)), true);
        if (deleteObject) delete item;
    }

    int Find(const T* item) const {
        for (int i = 0; i < Count(); ++i)
            if (buffer_.As<T*>()[i] == item) return i;
        return -1;
    }

    // Destroys every element, last first, and empties the list.
    void DeleteAll() {
        for (int i = Count() - 1; i >= 0; --i)
            delete buffer_.As<T*>()[i];
        buffer_.Free();
    }

    void Clear() { buffer_.Free(); }

private:
    GrowBuffer buffer_;
};

// A PointerList that owns its elements.
template <typename T> class OwnedList : public PointerList<T> {
public:
    OwnedList() = default;
    ~OwnedList() { this->DeleteAll(); }
};
