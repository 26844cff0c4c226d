#include "host/command_errors.h"
#include "host/json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace vhost {
namespace {

TEST(Json, ReadsDocuments) {
    JsonValue v = parseJson(R"( {"a": [1, -2.5e1, true, false, null],
                                  "b": {"c": "x\"\\\/\n\u00e9"}, "a": 3} )");
    ASSERT_TRUE(v.isObject());
    ASSERT_EQ(v.object().size(), 3u); // duplicates kept in order; find takes the first
    const JsonArray& a = v.find("a")->array();
    ASSERT_EQ(a.size(), 5u);
    EXPECT_EQ(a[0].number(), 1.0);
    EXPECT_EQ(a[1].number(), -25.0);
    EXPECT_EQ(std::get<bool>(a[2].data), true);
    EXPECT_TRUE(std::holds_alternative<std::nullptr_t>(a[4].data));
    EXPECT_EQ(v.find("b")->find("c")->string(), "x\"\\/\n\xc3\xa9");
    EXPECT_EQ(v.find("missing"), nullptr);
}

TEST(Json, RefusesMalformedText) {
    for (const char* text :
         {"", "{", "[1,]", "{\"a\" 1}", "{a: 1}", "\"open", "01x", "1 2", "tru", "[1e999]",
          "\"\\q\"", "\"\\u12\"", "\"a\nb\"",
          "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["
          "[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]"}) {
        try {
            parseJson(text);
            ADD_FAILURE() << text;
        } catch (const HostError& e) {
            EXPECT_NE(std::string(e.what()).find("line"), std::string::npos);
        }
    }
}

TEST(Json, WritesWhatItReads) {
    std::ostringstream out;
    JsonWriter j(out);
    j.beginObject();
    j.value("text", "tab\there \"q\" \x01");
    j.value("number", 0.25);
    j.value("nan", std::nan(""));
    j.value("count", 7LL);
    j.value("flag", true);
    j.beginArray("list");
    j.value(nullptr, 1);
    j.endArray();
    j.beginArray("empty");
    j.endArray();
    j.beginObject("none");
    j.endObject();
    j.endObject();
    JsonValue v = parseJson(out.str());
    EXPECT_EQ(v.find("text")->string(), "tab\there \"q\" \x01");
    EXPECT_EQ(v.find("number")->number(), 0.25);
    EXPECT_TRUE(std::holds_alternative<std::nullptr_t>(v.find("nan")->data));
    EXPECT_EQ(v.find("count")->number(), 7.0);
    EXPECT_EQ(v.find("list")->array().size(), 1u);
    EXPECT_TRUE(v.find("empty")->array().empty());
    EXPECT_TRUE(v.find("none")->object().empty());
}

} // namespace
} // namespace vhost
