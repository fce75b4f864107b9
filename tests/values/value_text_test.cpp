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
        {"18446744073709551615", "18446744073709551615"},
        {"-9223372036854775808", "-9223372036854775808"},
        {"18446744073709551616", "18446744073709552000"},
        {"2.0", "2"},
        {"-0", "0"},
        {"1e21", "1e+21"},
        {"\"a\\nb\"", "a\nb"},
        {"\"caf\u00e9 \u2014\"", "caf\u00e9 \u2014"},
        {"[1,[2,3],null,\"x\"]", "1,2,3,null,x"},
        {"[]", ""},
        {"[[],[[]]]", ","},
        {"{\"a\":1}", "[object Object]"},
    };
    for (const auto& [json, text] : cases) EXPECT_EQ(value_text(parsed(json)), text) << json;
    EXPECT_EQ(value_text(nullptr), "undefined");
    EXPECT_EQ(join_texts(parsed("[\"a\",null,3,[1,2],{}]")), "a, null, 3, 1,2, [object Object]");
    EXPECT_EQ(join_texts(parsed("[]")), "");
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

// The common lines are pinned by the rendered runs; these are the edges.
TEST(PendingLine, NamesOnlyWhatReallyWaits) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"pending":[1]})", ""},
        {R"({"pending":{"unreadReports":"3","runningTasks":0,"degraded":1}})", ""},
        {R"({"pending":{"unreadReports":0.5}})",
         "\npending: 0.5 report(s) NOT read yet - run \"tarvolt-ctl inbox\", then \"tarvolt-ctl ack\""},
        {R"({"pending":{"runningTasks":3.0,"unreadReports":-1}})", "\npending: 3 task(s) still running"},
    };
    for (const auto& [json, line] : cases) EXPECT_EQ(pending_line(parsed(json)), line) << json;
}

}  // namespace
}  // namespace tv
