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

    bool isNumber() const { return std::holds_alternative<double>(data); }
    bool isString() const { return std::holds_alternative<std::string>(data); }
    bool isArray() const { return std::holds_alternative<JsonArray>(data); }
    bool isObject() const { return std::holds_alternative<JsonObject>(data); }
    double number() const { return std::get<double>(data); }
    const std::string& string() const { return std::get<std::string>(data); }
    const JsonArray& array() const { return std::get<JsonArray>(data); }
    const JsonObject& object() const { return std::get<JsonObject>(data); }
    // The member of an object, or nullptr.
    const JsonValue* find(const std::string& key) const;
};

// Throws HostError naming the line and column of the first fault.
JsonValue parseJson(const std::string& text);

// Writes JSON with two-space indentation. Keys and values are added in order; numbers that
// are not finite are written as null.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}
    void beginObject(const char* key = nullptr);
    void endObject();
    void beginArray(const char* key = nullptr);
    void endArray();
    void value(const char* key, const std::string& text);
    void value(const char* key, const char* text) { value(key, std::string(text)); }
    void value(const char* key, double number);
    void value(const char* key, long long number);
    void value(const char* key, int number) { value(key, static_cast<long long>(number)); }
    void value(const char* key, bool flag);
    void null(const char* key);

private:
    void item(const char* key);
    std::ostream& out_;
    std::vector<bool> first_; // per open container: no item written yet
};

std::string jsonQuoted(const std::string& text);

} // namespace vhost
