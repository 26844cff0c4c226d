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

    JsonValue document() {
        JsonValue v = parse(0);
        skipSpace();
        if (pos_ != s_.size()) fail("unexpected text after the value");
        return v;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
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
    void skipSpace() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }
    bool eat(char c) {
        skipSpace();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expect(char c) {
        if (!eat(c)) fail(std::string("expected '") + c + "'");
    }
    bool word(const char* w) {
        std::size_t n = std::char_traits<char>::length(w);
        if (s_.compare(pos_, n, w) != 0) return false;
        pos_ += n;
        return true;
    }

    JsonValue parse(int depth) {
        if (depth > 64) fail("nested too deeply");
        skipSpace();
        if (pos_ >= s_.size()) fail("unexpected end");
        char c = s_[pos_];
        if (c == '{') return {object(depth)};
        if (c == '[') return {array(depth)};
        if (c == '"') return {string()};
        if (word("true")) return {true};
        if (word("false")) return {false};
        if (word("null")) return {nullptr};
        if (c == '-' || (c >= '0' && c <= '9')) return {number()};
        fail(std::string("unexpected '") + c + "'");
    }
    JsonObject object(int depth) {
        JsonObject o;
        ++pos_;
        if (eat('}')) return o;
        do {
            skipSpace();
            if (pos_ >= s_.size() || s_[pos_] != '"') fail("expected a key in quotes");
            std::string key = string();
            expect(':');
            o.emplace_back(std::move(key), parse(depth + 1));
        } while (eat(','));
        expect('}');
        return o;
    }
    JsonArray array(int depth) {
        JsonArray a;
        ++pos_;
        if (eat(']')) return a;
        do
            a.push_back(parse(depth + 1));
        while (eat(','));
        expect(']');
        return a;
    }
    double number() {
        const char* begin = s_.c_str() + pos_;
        char* end = nullptr;
        double v = std::strtod(begin, &end);
        if (end == begin || !std::isfinite(v)) fail("malformed number");
        pos_ += static_cast<std::size_t>(end - begin);
        return v;
    }
    void utf8(unsigned code, std::string& out) {
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
    std::string string() {
        std::string out;
        ++pos_;
        for (;;) {
            if (pos_ >= s_.size()) fail("unterminated string");
            char c = s_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size()) fail("unterminated string");
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
                if (pos_ + 4 > s_.size()) fail("short \\u escape");
                char* end = nullptr;
                std::string hex = s_.substr(pos_, 4);
                unsigned long code = std::strtoul(hex.c_str(), &end, 16);
                if (end != hex.c_str() + 4) fail("malformed \\u escape");
                pos_ += 4;
                utf8(static_cast<unsigned>(code), out);
                break;
            }
            default:
                fail(std::string("unknown escape \\") + e);
            }
        }
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

} // namespace

const JsonValue* JsonValue::find(const std::string& key) const {
    if (!isObject()) return nullptr;
    for (const auto& [k, v] : object())
        if (k == key) return &v;
    return nullptr;
}

JsonValue parseJson(const std::string& text) {
    return Parser(text).document();
}

std::string jsonQuoted(const std::string& text) {
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

void JsonWriter::item(const char* key) {
    if (!first_.empty()) {
        out_ << (first_.back() ? "\n" : ",\n");
        first_.back() = false;
        out_ << std::string(2 * first_.size(), ' ');
    }
    if (key) out_ << jsonQuoted(key) << ": ";
}

void JsonWriter::beginObject(const char* key) {
    item(key);
    out_ << '{';
    first_.push_back(true);
}

void JsonWriter::endObject() {
    bool empty = first_.back();
    first_.pop_back();
    if (!empty) out_ << '\n' << std::string(2 * first_.size(), ' ');
    out_ << '}';
    if (first_.empty()) out_ << '\n';
}

void JsonWriter::beginArray(const char* key) {
    item(key);
    out_ << '[';
    first_.push_back(true);
}

void JsonWriter::endArray() {
    bool empty = first_.back();
    first_.pop_back();
    if (!empty) out_ << '\n' << std::string(2 * first_.size(), ' ');
    out_ << ']';
}

void JsonWriter::value(const char* key, const std::string& text) {
    item(key);
    out_ << jsonQuoted(text);
}

void JsonWriter::value(const char* key, double number) {
    item(key);
    if (!std::isfinite(number)) {
        out_ << "null";
        return;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", number);
    out_ << buf;
}

void JsonWriter::value(const char* key, long long number) {
    item(key);
    out_ << number;
}

void JsonWriter::value(const char* key, bool flag) {
    item(key);
    out_ << (flag ? "true" : "false");
}

void JsonWriter::null(const char* key) {
    item(key);
    out_ << "null";
}

} // namespace vhost
