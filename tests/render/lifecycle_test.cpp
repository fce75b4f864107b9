#include "render/lifecycle.h"

#include "render/render.h"
#include "support/replies.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

using tvtest::rendered;

struct Case {
    Renderer render;
    const char* reply;
    const char* body;
};

const Case cases[] = {
    // spawn: the routing parts keep their own order whatever the reply's order.
    {render_spawn, R"({"ok":true,"category":"c","effort":"high","terminalName":"w","model":"m","cliId":"kimi"})",
     "subterminal created: w (cli kimi, model m, effort high, category c)"},
    {render_spawn, R"({"ok":true,"terminalName":"api-2"})", "subterminal created: api-2"},
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
    {render_spawn,
     R"({"mcpWarnings":["w1"],"fallbackReason":"top pick busy","imageTool":"flux","cliId":"qwen",
        "terminalName":"t","ok":true})",
     "subterminal created: t (cli qwen)\n"
     "image tool for this task: flux (the CLI above only runs its command)\n"
     "leaderboard routing: top pick busy\n"
     "warning: w1"},

    // send: only the strings of an mcpWarnings array give lines.
    {render_send, R"({"ok":true})", "message sent"},
    {render_send, R"({"ok":true,"mcpWarnings":{"0":"x"}})", "message sent"},
    {render_send, R"({"ok":true,"mcpWarnings":["mcp \"fs\" unavailable",1.5,null,["c"],{"d":"e"},"ünïcode ⚠",""]})",
     "message sent\nwarning: mcp \"fs\" unavailable\nwarning: ünïcode ⚠\nwarning: "},

    {render_standby, R"({"ok":true,"terminalName":"api-2"})",
     "subterminal moved to standby: api-2 (pane hidden; same live CLI context preserved; resume it without a "
     "task with \"tarvolt-ctl resume --terminal api-2\")"},
    {render_resume, R"({"ok":true,"terminalName":null,"status":null})",
     "subterminal resumed: null (null; same live CLI and prior context restored; no task was assigned)"},

    // close: only the exact string "standby" parks the pane.
    {render_close, R"({"ok":true,"disposition":"standby","terminalName":"api-2"})",
     "subterminal moved to standby: api-2 (same live CLI context preserved; close this standby name again to "
     "terminate it)"},
    {render_close, R"({"ok":true,"disposition":"Standby","terminalName":"api-2"})",
     "subterminal terminated: api-2 (its live CLI context is no longer recoverable)"},
    {render_close, R"({"ok":true,"disposition":["standby"]})",
     "subterminal terminated: undefined (its live CLI context is no longer recoverable)"},
};

TEST(LifecycleRender, EveryVariantOfEverySentence) {
    for (const Case& c : cases) EXPECT_EQ(rendered(c.render, c.reply), c.body) << c.reply;
}

}  // namespace
}  // namespace tv
