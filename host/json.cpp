#include "host/json.h"

#include "host/command_errors.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vhost {
namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) {}

    JsonValue Document() {
        JsonValue v = Parse(0);
        SkipSpace();
        if (pos_ != s_.size()) Fail("unexpected text after the value");
        return v;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        int line = 1, column = 1;
        for (std::size_t i = 0; i < pos_ && i < s_.size(); ++i) {
            if (s_[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        throw HostError("JSON line " + std::to_string(line) + ", column " + std::to_string(column) +
                        ": " + what);
    }
    void SkipSpace() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }
    bool Eat(char c) {
        SkipSpace();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Eat(c)) Fail(std::string("expected '") + c + "'");
    }
    bool Word(const char* w) {
        std::size_t n = std::char_traits<char>::length(w);
        if (s_.compare(pos_, n, w) != 0) return false;
        pos_ += n;
        return true;
    }

    JsonValue Parse(int depth) {
        if (depth > 64) Fail("nested too deeply");
        SkipSpace();
        if (pos_ >= s_.size()) Fail("unexpected end");
        char c = s_[pos_];
        if (c == '{') return {Object(depth)};
        if (c == '[') return {Array(depth)};
        if (c == '"') return {String()};
        if (Word("true")) return {true};
        if (Word("false")) return {false};
        if (Word("null")) return {nullptr};
        if (c == '-' || (c >= '0' && c <= '9')) return {Number()};
        Fail(std::string("unexpected '") + c + "'");
    }
    JsonObject Object(int depth) {
        JsonObject o;
        ++pos_;
        if (Eat('}')) return o;
        do {
            SkipSpace();
            if (pos_ >= s_.size() || s_[pos_] != '"') Fail("expected a key in quotes");
            std::string key = String();
            Expect(':');
            o.emplace_back(std::move(key), Parse(depth + 1));
        } while (Eat(','));
        Expect('}');
        return o;
    }
    JsonArray Array(int depth) {
        JsonArray a;
        ++pos_;
        if (Eat(']')) return a;
        do
            a.push_back(Parse(depth + 1));
        while (Eat(','));
        Expect(']');
        return a;
    }
    double Number() {
        const char* begin = s_.c_str() + pos_;
        char* end = nullptr;
        double v = std::strtod(begin, &end);
        if (end == begin || !std::isfinite(v)) Fail("malformed number");
        pos_ += static_cast<std::size_t>(end - begin);
        return v;
    }
    void Utf8(unsigned code, std::string& out) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    std::string String() {
        std::string out;
        ++pos_;
        for (;;) {
            if (pos_ >= s_.size()) Fail("unterminated string");
            char c = s_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size()) Fail("unterminated string");
            char e = s_[pos_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                if (pos_ + 4 > s_.size()) Fail("short \\u escape");
                char* end = nullptr;
                std::string hex = s_.substr(pos_, 4);
                unsigned long code = std::strtoul(hex.c_str(), &end, 16);
                if (end != hex.c_str() + 4) Fail("malformed \\u escape");
                pos_ += 4;
                Utf8(static_cast<unsigned>(code), out);
                break;
            }
            default:
                Fail(std::string("unknown escape \\") + e);
            }
        }
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

} // namespace

const JsonValue* JsonValue::Find(const std::string& key) const {
    if (!IsObject()) return nullptr;
    for (const auto& [k, v] : Object())
        if (k == key) return &v;
    return nullptr;
}

JsonValue ParseJson(const std::string& text) {
    return Parser(text).Document();
}

std::string JsonQuoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

void JsonWriter::Item(const char* key) {
    if (!first_.empty()) {
        out_ << (first_.back() ? "\n" : ",\n");
        first_.back() = false;
        out_ << std::string(2 * first_.size(), ' ');
    }
    if (key) out_ << JsonQuoted(key) << ": ";
}

void JsonWriter::BeginObject(const char* key) {
    Item(key);
    out_ << '{';
    first_.push_back(true);
}

void JsonWriter::EndObject() {
    bool empty = first_.back();
    first_.pop_back();
    if (!empty) out_ << '\n' << std::string(2 * first_.size(), ' ');
    out_ << '}';
    if (first_.empty()) out_ << '\n';
}

void JsonWriter::BeginArray(const char* key) {
    Item(key);
    out_ << '[';
    first_.push_back(true);
}

void JsonWriter::EndArray() {
    bool empty = first_.back();
    first_.pop_back();
    if (!empty) out_ << '\n' << std::string(2 * first_.size(), ' ');
    out_ << ']';
}

void JsonWriter::Value(const char* key, const std::string& text) {
    Item(key);
    out_ << JsonQuoted(text);
}

void JsonWriter::Value(const char* key, double number) {
    Item(key);
    if (!std::isfinite(number)) {
        out_ << "null";
        return;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", number);
    out_ << buf;
}

void JsonWriter::Value(const char* key, long long number) {
    Item(key);
    out_ << number;
}

void JsonWriter::Value(const char* key, bool flag) {
    Item(key);
    out_ << (flag ? "true" : "false");
}

void JsonWriter::Null(const char* key) {
    Item(key);
    out_ << "null";
}

} // namespace vhost
