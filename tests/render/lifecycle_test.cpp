#include "render/lifecycle.h"

#include "cli/fail.h"
#include "render/render.h"

#include "support/replies.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

using tvtest::failure;
using tvtest::rendered;
using tvtest::reply_from;

struct Case {
    Renderer render;
    const char* reply;
    const char* body;
};

const Case cases[] = {
    // spawn: the routing parts keep their own order whatever the reply's order.
    {render_spawn, R"({"ok":true,"terminalName":"api-2","cliId":"codex","model":"m1","category":"c1"})",
     "subterminal created: api-2 (cli codex, model m1, category c1)"},
    {render_spawn, R"({"ok":true,"category":"c","effort":"high","terminalName":"w","model":"m","cliId":"kimi"})",
     "subterminal created: w (cli kimi, model m, effort high, category c)"},
    {render_spawn, R"({"ok":true,"terminalName":"api-2"})", "subterminal created: api-2"},
    {render_spawn, R"({"ok":true})", "subterminal created: undefined"},
    {render_spawn, R"({"ok":true,"terminalName":"a","cliId":"claude"})", "subterminal created: a (cli claude)"},
    // Presence decides, so null and the empty string still give their part or line.
    {render_spawn, R"({"ok":true,"terminalName":"a","cliId":null,"model":null,"effort":""})",
     "subterminal created: a (cli null, model null, effort )"},
    {render_spawn, R"({"ok":true,"terminalName":"a","effort":2.0,"category":["x",["y"]],"model":{"id":1}})",
     "subterminal created: a (model [object Object], effort 2, category x,y)"},
    {render_spawn, R"({"ok":true,"terminalName":18446744073709551615,"model":-9223372036854775808})",
     "subterminal created: 18446744073709551615 (model -9223372036854775808)"},
    {render_spawn, R"({"ok":true,"terminalName":"a","imageTool":null,"fallbackReason":""})",
     "subterminal created: a\n"
     "image tool for this task: null (the CLI above only runs its command)\n"
     "leaderboard routing: "},
    {render_spawn, R"({"ok":true,"terminalName":"a","imageTool":false,"fallbackReason":null})",
     "subterminal created: a\n"
     "image tool for this task: false (the CLI above only runs its command)\n"
     "leaderboard routing: null"},
    {render_spawn,
     R"({"mcpWarnings":["w1"],"fallbackReason":"top pick busy","imageTool":"flux","cliId":"qwen",
        "terminalName":"t","ok":true})",
     "subterminal created: t (cli qwen)\n"
     "image tool for this task: flux (the CLI above only runs its command)\n"
     "leaderboard routing: top pick busy\n"
     "warning: w1"},
    {render_spawn, R"({"ok":true,"terminalName":"ação\n測試","mcpWarnings":["a",3,null,"b",["c"],{"d":"e"},""]})",
     "subterminal created: ação\n測試\nwarning: a\nwarning: b\nwarning: "},
    {render_spawn, R"({"ok":true,"terminalName":"a","mcpWarnings":"not a list"})", "subterminal created: a"},

    // send
    {render_send, R"({"ok":true})", "message sent"},
    {render_send, R"({"ok":true,"mcpWarnings":[]})", "message sent"},
    {render_send, R"({"ok":true,"mcpWarnings":null})", "message sent"},
    {render_send, R"({"ok":true,"mcpWarnings":{"0":"x"}})", "message sent"},
    {render_send, R"({"ok":true,"mcpWarnings":["mcp \"fs\" unavailable", 1.5, "ünïcode ⚠"]})",
     "message sent\nwarning: mcp \"fs\" unavailable\nwarning: ünïcode ⚠"},

    // standby
    {render_standby, R"({"ok":true,"terminalName":"api-2"})",
     "subterminal moved to standby: api-2 (pane hidden; same live CLI context preserved; resume it without a "
     "task with \"tarvolt-ctl resume --terminal api-2\")"},
    {render_standby, R"({"ok":true})",
     "subterminal moved to standby: undefined (pane hidden; same live CLI context preserved; resume it without "
     "a task with \"tarvolt-ctl resume --terminal undefined\")"},

    // resume
    {render_resume, R"({"ok":true,"terminalName":"api-2","status":"idle"})",
     "subterminal resumed: api-2 (idle; same live CLI and prior context restored; no task was assigned)"},
    {render_resume, R"({"ok":true,"terminalName":"api-2"})",
     "subterminal resumed: api-2 (undefined; same live CLI and prior context restored; no task was assigned)"},
    {render_resume, R"({"ok":true,"terminalName":null,"status":null})",
     "subterminal resumed: null (null; same live CLI and prior context restored; no task was assigned)"},

    // close: only the exact string "standby" parks the pane.
    {render_close, R"({"ok":true,"disposition":"standby","terminalName":"api-2"})",
     "subterminal moved to standby: api-2 (same live CLI context preserved; close this standby name again to "
     "terminate it)"},
    {render_close, R"({"ok":true,"disposition":"Standby","terminalName":"api-2"})",
     "subterminal terminated: api-2 (its live CLI context is no longer recoverable)"},
    {render_close, R"({"ok":true,"disposition":["standby"],"terminalName":"api-2"})",
     "subterminal terminated: api-2 (its live CLI context is no longer recoverable)"},
    {render_close, R"({"ok":true,"disposition":"standby "})",
     "subterminal terminated: undefined (its live CLI context is no longer recoverable)"},
    {render_close, R"({"ok":true,"disposition":null,"terminalName":"x"})",
     "subterminal terminated: x (its live CLI context is no longer recoverable)"},
    {render_close, R"({"ok":true})",
     "subterminal terminated: undefined (its live CLI context is no longer recoverable)"},
};

TEST(LifecycleRender, EveryVariantOfEverySentence) {
    for (const Case& c : cases) EXPECT_EQ(rendered(c.render, c.reply), c.body) << c.reply;
}

TEST(LifecycleRender, RoutingPartsOfNonObjectsAreEmpty) {
    const JsonParse parsed = parse_json(R"([{"model":"m"}, "model", null, 3, {"model":"m","cliId":"c"}])");
    ASSERT_TRUE(parsed.value);
    const Json& list = *parsed.value;
    EXPECT_TRUE(routing_parts(nullptr).empty());
    EXPECT_TRUE(routing_parts(&list).empty());
    for (std::size_t i = 1; i < 4; ++i) EXPECT_TRUE(routing_parts(&list[i]).empty()) << i;
    EXPECT_EQ(routing_parts(&list[4]), std::vector<std::string>{"model m"});
}

}  // namespace
}  // namespace tv
