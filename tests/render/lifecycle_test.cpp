#include "render/lifecycle.h"

#include "render/render.h"
#include "support/outcome.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

TEST(LifecycleRender, EveryVariantOfEverySentence) {
    const std::tuple<Renderer, const char*, const char*> cases[] = {
        // The routing parts keep their own order whatever the reply's order.
        {render_spawn, R"({"ok":true,"category":"c","effort":"high","terminalName":"w","model":"m","cliId":"kimi"})",
         "subterminal created: w (cli kimi, model m, effort high, category c)"},
        {render_spawn, R"({"ok":true,"terminalName":"api-2","mcpWarnings":{"0":"x"}})", "subterminal created: api-2"},
        // Presence decides: null and the empty string still give their part
        // or line; only the strings of mcpWarnings give lines.
        {render_spawn,
         R"({"mcpWarnings":["w1",1,null,""],"fallbackReason":"","imageTool":null,"cliId":null,"effort":"",
            "terminalName":"t","ok":true})",
         "subterminal created: t (cli null, effort )\n"
         "image tool for this task: null (the CLI above only runs its command)\n"
         "leaderboard routing: \n"
         "warning: w1\n"
         "warning: "},
        {render_send, R"({"ok":true,"mcpWarnings":["mcp \"fs\" unavailable",["c"]]})",
         "message sent\nwarning: mcp \"fs\" unavailable"},
        {render_standby, R"({"ok":true,"terminalName":"api-2"})",
         "subterminal moved to standby: api-2 (pane hidden; same live CLI context preserved; resume it without a task with \"tarvolt-ctl resume --terminal api-2\")"},
        {render_resume, R"({"ok":true,"terminalName":"api-2","status":"idle"})",
         "subterminal resumed: api-2 (idle; same live CLI and prior context restored; no task was assigned)"},
        // Only the exact string "standby" parks the pane.
        {render_close, R"({"ok":true,"disposition":"standby","terminalName":"api-2"})",
         "subterminal moved to standby: api-2 (same live CLI context preserved; close this standby name again to terminate it)"},
        {render_close, R"({"ok":true,"disposition":"Standby","terminalName":"api-2"})",
         "subterminal terminated: api-2 (its live CLI context is no longer recoverable)"},
        {render_close, R"({"ok":true,"disposition":["standby"],"terminalName":"api-2"})",
         "subterminal terminated: api-2 (its live CLI context is no longer recoverable)"},
    };
    for (const auto& [render, reply, body] : cases) EXPECT_EQ(tvtest::rendered(render, reply), body) << reply;
}

}  // namespace
}  // namespace tv
