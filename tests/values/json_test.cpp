#include "values/json.h"
#include "support/outcome.h"
#include "support/reply_tree.h"

#include <gtest/gtest.h>
#include <cmath>

namespace tv {
namespace {

TEST(ParseJson, ErrorsSayWhatAndWhere) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "EOF while parsing a value at line 1 column 0"},
        {"   \n", "EOF while parsing a value at line 2 column 0"},
        {"abc", "expected value at line 1 column 1"},
        {"{\"ok\":true} x", "trailing characters at line 1 column 13"},
        {"{\"ok\":true}\n\n  x", "trailing characters at line 3 column 3"},
        {"{\"ok\":", "EOF while parsing a value at line 1 column 6"},
        {"{\"ok\":true", "EOF while parsing an object at line 1 column 10"},
        {"[1,2", "EOF while parsing a list at line 1 column 4"},
        {"\"abc", "EOF while parsing a string at line 1 column 4"},
        {"tru", "EOF while parsing a value at line 1 column 3"},
        {"[1,]", "expected value at line 1 column 4"},
        {"{1:2}", "key must be a string at line 1 column 2"},
        {"{\"a\" 2}", "expected `:` at line 1 column 6"},
        {"[1 2]", "expected `,` or `]` at line 1 column 4"},
        // A word token is reported where it begins, not where earlier text did.
        {"{\"ok\":true}true", "trailing characters at line 1 column 12"},
        {"{\"ok\" true}", "expected `:` at line 1 column 7"},
        {"[1 false]", "expected `,` or `]` at line 1 column 4"},
        {"[1,\ntrue null]", "expected `,` or `]` at line 2 column 6"},
        {"{\"a\":1 \"b\"}", "expected `,` or `}` at line 1 column 8"},
        {"1e400", "number out of range at line 1 column 5"},
        {"[\"a\x01\"]", "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 4"},
        {std::string("\0", 1), "expected value at line 1 column 1"},
        {std::string("{\"ok\":true}\0x", 13), "trailing characters at line 1 column 12"},
        {"[1.x]", "invalid number at line 1 column 4"},
        {"\xEF\xBB\xBF{}", "expected value at line 1 column 1"},
    };
    for (const auto& [text, error] : cases) {
        const JsonParse p = parse_json(text);
        EXPECT_FALSE(p.value) << text;
        EXPECT_EQ(p.error, error) << text;
    }
}

// Both readers: a million levels must be refused early, not by recursion.
TEST(ParseJson, NestingStopsAtTheLimit) {
    std::string objects;
    for (int i = 0; i < 129; ++i) objects += "{\"a\":";
    const std::pair<std::string, std::string> cases[] = {
        {std::string(128, '[') + std::string(128, ']'), ""},
        {std::string(129, '[') + std::string(129, ']'), "recursion limit exceeded at line 1 column 129"},
        {objects + "1" + std::string(129, '}'), "recursion limit exceeded at line 1 column 641"},
        {std::string(1000000, '['), "recursion limit exceeded at line 1 column 129"}};
    for (const auto& [text, error] : cases) {
        EXPECT_EQ(parse_json(text).error, error) << text.size();
        EXPECT_EQ(parse_reply(text).error, error) << text.size();
    }
}

TEST(ParseJson, KeepsOrderAndNumberKinds) {
    const std::string text =
        R"({"b":1,"a":2,"b":3,"u":18446744073709551615,"i":-5,"f":2.0,"z":-0,"big":18446744073709551616})";
    EXPECT_EQ(to_compact_text(tvtest::parse_or_fail(text)),
              R"({"b":3,"a":2,"u":18446744073709551615,"i":-5,"f":2.0,"z":-0.0,"big":1.8446744073709552e+19})");
}

// The reply reader: where its own reader and the exact parser could part,
// the value or the text must be the exact parser's.
TEST(ParseReply, NumberKindsAndFallbacks) {
    using Kind = JsonNode::Kind;
    const std::tuple<const char*, Kind, double> cases[] = {
        {"18446744073709551615", Kind::number_unsigned, 18446744073709551615.0},
        {"18446744073709551616", Kind::number_float, 18446744073709551616.0},
        {"-9223372036854775808", Kind::number_integer, -9223372036854775808.0},
        {"-9223372036854775809", Kind::number_float, -9223372036854775808.0},
        {"-0", Kind::number_float, -0.0},
        {"2.0", Kind::number_float, 2.0},
        {"1e-400", Kind::number_float, 0.0},
        {"-1e-400", Kind::number_float, -0.0},
    };
    for (const auto& [text, kind, number] : cases) {
        const JsonTree p = tvtest::reply_or_fail(text);
        EXPECT_EQ(p.root().kind(), kind) << text;
        EXPECT_EQ(p.root().number(), number) << text;
        EXPECT_EQ(std::signbit(p.root().number()), std::signbit(number)) << text;
    }
    for (const std::string& bad : {std::string("1e400"), std::string(R"(["\udc00"])"), std::string(R"(["\ud800"])"),
                                   std::string("{\"a\":1}\0x", 9), "[\"" + std::string(40, 'a') + "\x1d\"]"}) {
        EXPECT_EQ(parse_reply(bad).error, parse_json(bad).error) << bad;
    }
    EXPECT_EQ(tvtest::json_of(tvtest::reply_or_fail(R"(["a\"b\u00e9\ud83d\ude00", "plain"])")),
              Json::array({"a\"b\u00e9\U0001F600", "plain"}));
}

// Both readers: the last value in the first place, in time linear in the members.
TEST(ParseJson, RepeatedKeysFoldIntoTheFirstPlace) {
    for (const int members : {3, 200000}) {
        const int keys = members / 2 + 1;
        std::string text = "{";
        for (int i = 0; i < members; ++i) text += "\"k" + std::to_string(i % keys) + "\":" + std::to_string(i) + ",";
        text.back() = '}';
        const Json exact = tvtest::parse_or_fail(text);
        const JsonTree reply = tvtest::reply_or_fail(text);
        const JsonNode& o = reply.root();
        EXPECT_EQ(exact.size(), static_cast<std::size_t>(keys));
        EXPECT_EQ(o.size(), static_cast<std::size_t>(keys));
        EXPECT_EQ(o.members()[0].key(), "k0");
        EXPECT_EQ(exact.at("k0"), keys);
        EXPECT_EQ(o.find("k0")->unsigned_value(), static_cast<std::uint64_t>(keys));
        EXPECT_EQ(o.members().back().key(), "k" + std::to_string(keys - 1));
    }
}

}  // namespace
}  // namespace tv
