#pragma once

#include <memory>

// Recursive lock: the thread that holds it may take it again; every take needs a release.
class PlugMutex {
public:
    PlugMutex();
    ~PlugMutex();
    PlugMutex(const PlugMutex&) = delete;
    PlugMutex& operator=(const PlugMutex&) = delete;

    void Enter();
    // Takes the lock only if that needs no waiting; true when taken.
    bool TryEnter();
    void Leave();

    class Guard {
    public:
        explicit Guard(PlugMutex& mutex) : mutex_(mutex) { mutex_.Enter(); }
        ~Guard() { mutex_.Leave(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        PlugMutex& mutex_;
    };

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
