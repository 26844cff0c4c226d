// A small JSON reader and writer: enough for automation files, --info and the summaries.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace vhost {

struct JsonValue;
using JsonArray = std::vector<JsonValue>;
using JsonObject = std::vector<std::pair<std::string, JsonValue>>; // in the file's order

struct JsonValue {
    std::variant<std::nullptr_t, bool, double, std::string, JsonArray, JsonObject> data;

    bool IsNumber() const { return std::holds_alternative<double>(data); }
    bool IsString() const { return std::holds_alternative<std::string>(data); }
    bool IsArray() const { return std::holds_alternative<JsonArray>(data); }
    bool IsObject() const { return std::holds_alternative<JsonObject>(data); }
    double Number() const { return std::get<double>(data); }
    const std::string& String() const { return std::get<std::string>(data); }
    const JsonArray& Array() const { return std::get<JsonArray>(data); }
    const JsonObject& Object() const { return std::get<JsonObject>(data); }
    // The member of an object, or nullptr.
    const JsonValue* Find(const std::string& key) const;
};

// Throws HostError naming the line and column of the first fault.
JsonValue ParseJson(const std::string& text);

// Writes JSON with two-space indentation. Keys and values are added in order; numbers that
// are not finite are written as null.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}
    void BeginObject(const char* key = nullptr);
    void EndObject();
    void BeginArray(const char* key = nullptr);
    void EndArray();
    void Value(const char* key, const std::string& text);
    void Value(const char* key, const char* text) { Value(key, std::string(text)); }
    void Value(const char* key, double number);
    void Value(const char* key, long long number);
    void Value(const char* key, int number) { Value(key, static_cast<long long>(number)); }
    void Value(const char* key, bool flag);
    void Null(const char* key);

private:
    void Item(const char* key);
    std::ostream& out_;
    std::vector<bool> first_; // per open container: no item written yet
};

std::string JsonQuoted(const std::string& text);

} // namespace vhost
