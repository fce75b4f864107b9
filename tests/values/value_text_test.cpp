#include "values/output_frame.h"
#include "values/value_text.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

Json parsed(std::string_view text) {
    JsonParse p = parse_json(text);
    EXPECT_TRUE(p.value) << text << ": " << p.error;
    return p.value ? *p.value : Json();
}

TEST(ValueText, FollowsTheReadersNumberKinds) {
    const std::pair<const char*, const char*> cases[] = {
        {"null", "null"},
        {"true", "true"},
        {"18446744073709551615", "18446744073709551615"},
        {"-9223372036854775808", "-9223372036854775808"},
        {"18446744073709551616", "18446744073709552000"},
        {"2.0", "2"},
        {"2", "2"},
        {"-0", "0"},
        {"1e21", "1e+21"},
        {"0.1", "0.1"},
        {"\"a\\nb\"", "a\nb"},
        {"\"caf\u00e9 \u2014\"", "caf\u00e9 \u2014"},
        {"[1,[2,3],null,\"x\"]", "1,2,3,null,x"},
        {"[]", ""},
        {"[[],[[]]]", ","},
        {"{\"a\":1}", "[object Object]"},
        {"[{}]", "[object Object]"},
    };
    for (const auto& [json, text] : cases) EXPECT_EQ(value_text(parsed(json)), text) << json;
    EXPECT_EQ(value_text(nullptr), "undefined");
    EXPECT_EQ(join_texts(parsed("[\"a\",null,3,[1,2],{}]")), "a, null, 3, 1,2, [object Object]");
    EXPECT_EQ(join_texts(parsed("[]")), "");
}

TEST(ReadProperty, OnlyObjectsHaveMembers) {
    const Json reply = parsed(R"({"a":null,"b":{"c":1},"l":[1]})");
    EXPECT_NE(read_property(reply, "a"), nullptr);
    EXPECT_TRUE(read_property(reply, "a")->is_null());
    EXPECT_EQ(read_property(reply, "missing"), nullptr);
    EXPECT_EQ(read_property(read_property(reply, "l"), "0"), nullptr);
    EXPECT_EQ(read_property(read_property(reply, "a"), "c"), nullptr);
    EXPECT_EQ(read_property(nullptr, "c"), nullptr);
    EXPECT_EQ(value_text(read_property(read_property(reply, "b"), "c")), "1");
}

TEST(IsTruthy, LikeTheAppsOwnClient) {
    const std::pair<const char*, bool> cases[] = {
        {"null", false}, {"false", false}, {"true", true},  {"0", false},  {"-0", false}, {"0.0", false},
        {"2", true},     {"-1", true},     {"0.5", true},   {"\"\"", false}, {"\"0\"", true}, {"[]", true},
        {"{}", true},
    };
    for (const auto& [json, truthy] : cases) {
        const Json v = parsed(json);
        EXPECT_EQ(is_truthy(&v), truthy) << json;
    }
    EXPECT_FALSE(is_truthy(nullptr));
}

TEST(PendingLine, NamesOnlyWhatReallyWaits) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"ok":true})", ""},
        {R"({"pending":null})", ""},
        {R"({"pending":[1]})", ""},
        {R"({"pending":"x"})", ""},
        {R"({"pending":{"unreadReports":"3","runningTasks":0,"degraded":1}})", ""},
        {R"({"pending":{"unreadReports":2,"runningTasks":0,"degraded":true}})",
         "\npending: 2 report(s) NOT read yet - run \"tarvolt-ctl inbox\", then \"tarvolt-ctl ack\"; the "
         "workstation journal could not be written, so this ledger is incomplete"},
        {R"({"pending":{"unreadReports":0.5}})",
         "\npending: 0.5 report(s) NOT read yet - run \"tarvolt-ctl inbox\", then \"tarvolt-ctl ack\""},
        {R"({"pending":{"runningTasks":3.0,"unreadReports":-1}})", "\npending: 3 task(s) still running"},
    };
    for (const auto& [json, line] : cases) EXPECT_EQ(pending_line(parsed(json)), line) << json;
}

}  // namespace
}  // namespace tv
