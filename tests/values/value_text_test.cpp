#include "values/value_text.h"
#include "support/outcome.h"
#include "values/guarded_list.h"
#include "values/output_frame.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

using tvtest::reply_or_fail;

// How each number is laid out is number_to_text's; this is which numbers go through it.
TEST(ValueText, FollowsTheReadersNumberKinds) {
    const std::pair<const char*, const char*> cases[] = {
        {"null", "null"},
        {"18446744073709551615", "18446744073709551615"},
        {"-9223372036854775808", "-9223372036854775808"},
        {"18446744073709551616", "18446744073709552000"},
        {"\"a\\nb\"", "a\nb"},
        {"\"caf\u00e9 \u2014\"", "caf\u00e9 \u2014"},
        {"[true,false]", "true,false"},
        {"[1,[2,3],null,\"x\"]", "1,2,3,null,x"},
        {"[]", ""},
        {"[[],[[]]]", ","},
        {"{\"a\":1}", "[object Object]"},
    };
    for (const auto& [json, text] : cases) EXPECT_EQ(value_text(reply_or_fail(json)), text) << json;
    EXPECT_EQ(value_text(nullptr), "undefined");
    EXPECT_EQ(join_texts(reply_or_fail("[\"a\",null,3,[1,2],{}]")), "a, null, 3, 1,2, [object Object]");
    EXPECT_EQ(join_texts(reply_or_fail("[]")), "");
    // Only an object's own member is read; anything else holds nothing.
    EXPECT_EQ(read_property(reply_or_fail("[{\"a\":1}]"), "a"), nullptr);
    EXPECT_EQ(read_property(nullptr, "a"), nullptr);
}

TEST(IsTruthy, LikeTheAppsOwnClient) {
    const std::pair<const char*, bool> cases[] = {
        {"null", false}, {"false", false}, {"true", true},  {"0", false},    {"-0", false}, {"0.0", false}, {"2", true},
        {"-1", true},    {"0.5", true},    {"\"\"", false}, {"\"0\"", true}, {"[]", true},  {"{}", true},
    };
    for (const auto& [json, truthy] : cases) EXPECT_EQ(is_truthy(&reply_or_fail(json).root()), truthy) << json;
    EXPECT_FALSE(is_truthy(nullptr));
}

TEST(PendingLine, NamesOnlyWhatReallyWaits) {
    const std::string unread = "report(s) NOT read yet - run \"tarvolt-ctl inbox\", then \"tarvolt-ctl ack\"";
    const std::pair<const char*, std::string> cases[] = {
        {R"({"pending":[1]})", ""},
        {R"({"pending":{"unreadReports":"3","runningTasks":0,"degraded":1}})", ""},
        {R"({"pending":{"degraded":true,"runningTasks":2,"unreadReports":1}})",
         "\npending: 1 " + unread +
             "; 2 task(s) still running; the workstation journal could not be written, so this ledger is incomplete"},
        {R"({"pending":{"unreadReports":0.5}})", "\npending: 0.5 " + unread},
        {R"({"pending":{"runningTasks":3.0,"unreadReports":-1}})", "\npending: 3 task(s) still running"},
    };
    for (const auto& [json, line] : cases) EXPECT_EQ(pending_line(reply_or_fail(json)), line) << json;
}

// The messages of list reads that meet the wrong shape; each renderer pins
// only its own wrong-kind texts and the order of its reads.
TEST(GuardedList, EndsTheRunOnWrongShapes) {
    const std::string not_iterable = "responseBody.l is not iterable";
    const struct {
        const char* reply;
        std::string counted, walked, nested;
    } cases[] = {
        {R"({})", "Cannot read properties of undefined (reading 'length')", not_iterable,
         "Cannot read properties of undefined (reading 'first')"},
        {R"({"l":null})", "Cannot read properties of null (reading 'length')", not_iterable,
         "Cannot read properties of null (reading 'first')"},
        {R"({"l":"x"})", "wrong kind", not_iterable, "<no failure>"},
        {R"({"l":[]})", "<no failure>", "<no failure>", "<no failure>"},
    };
    for (const auto& c : cases) {
        const JsonTree v = reply_or_fail(c.reply);
        EXPECT_EQ(tvtest::failure_of([&] { counted_list(&v.root(), "l", "wrong kind"); }), c.counted) << c.reply;
        EXPECT_EQ(tvtest::failure_of([&] { walked_list(&v.root(), "l"); }), c.walked) << c.reply;
        EXPECT_EQ(tvtest::failure_of([&] { nested_holder(&v.root(), "l", "first"); }), c.nested) << c.reply;
    }
}

}  // namespace
}  // namespace tv
