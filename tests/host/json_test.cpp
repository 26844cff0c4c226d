#include "host/command_errors.h"
#include "host/json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace vhost {
namespace {

TEST(Json, ReadsDocuments) {
    JsonValue v = ParseJson(R"( {"a": [1, -2.5e1, true, false, null],
                                  "b": {"c": "x\"\\\/\n\u00e9"}, "a": 3} )");
    ASSERT_TRUE(v.IsObject());
    ASSERT_EQ(v.Object().size(), 3u); // duplicates kept in order; find takes the first
    const JsonArray& a = v.Find("a")->Array();
    ASSERT_EQ(a.size(), 5u);
    EXPECT_EQ(a[0].Number(), 1.0);
    EXPECT_EQ(a[1].Number(), -25.0);
    EXPECT_EQ(std::get<bool>(a[2].data), true);
    EXPECT_TRUE(std::holds_alternative<std::nullptr_t>(a[4].data));
    EXPECT_EQ(v.Find("b")->Find("c")->String(), "x\"\\/\n\xc3\xa9");
    EXPECT_EQ(v.Find("missing"), nullptr);
}

TEST(Json, RefusesMalformedText) {
    for (const char* text :
         {"", "{", "[1,]", "{\"a\" 1}", "{a: 1}", "\"open", "01x", "1 2", "tru", "[1e999]",
          "\"\\q\"", "\"\\u12\"", "\"a\nb\"",
          "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[["
          "[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]"}) {
        try {
            ParseJson(text);
            ADD_FAILURE() << text;
        } catch (const HostError& e) {
            EXPECT_NE(std::string(e.what()).find("line"), std::string::npos);
        }
    }
}

TEST(Json, WritesWhatItReads) {
    std::ostringstream out;
    JsonWriter j(out);
    j.BeginObject();
    j.Value("text", "tab\there \"q\" \x01");
    j.Value("number", 0.25);
    j.Value("nan", std::nan(""));
    j.Value("count", 7LL);
    j.Value("flag", true);
    j.BeginArray("list");
    j.Value(nullptr, 1);
    j.EndArray();
    j.BeginArray("empty");
    j.EndArray();
    j.BeginObject("none");
    j.EndObject();
    j.EndObject();
    JsonValue v = ParseJson(out.str());
    EXPECT_EQ(v.Find("text")->String(), "tab\there \"q\" \x01");
    EXPECT_EQ(v.Find("number")->Number(), 0.25);
    EXPECT_TRUE(std::holds_alternative<std::nullptr_t>(v.Find("nan")->data));
    EXPECT_EQ(v.Find("count")->Number(), 7.0);
    EXPECT_EQ(v.Find("list")->Array().size(), 1u);
    EXPECT_TRUE(v.Find("empty")->Array().empty());
    EXPECT_TRUE(v.Find("none")->Object().empty());
}

} // namespace
} // namespace vhost
