// The command line from the outside: what reaches stdout, stderr and the
// exit status.
#include "cli/usage_text.h"
#include "support/fake_app.h"
#include "support/run_ctl.h"

#include <gtest/gtest.h>

namespace {

using tvtest::printed;
using tvtest::refused;
using tvtest::run_ctl;

const std::string usage(tv::usage_text);

TEST(RunMain, HelpUsageAndEnvironmentErrors) {
    using Env = std::vector<std::string>;
    const std::string missing = "; run this inside a tarvolt terminal";
    const std::pair<std::vector<std::string>, tvtest::RunResult> cases[] = {
        {{}, refused("missing command\n\n" + usage)},
        {{"help", "extra"}, printed(usage + "\n")},
        {{"-h"}, printed(usage + "\n")},
        {{"--help", "--bogus"}, printed(usage + "\n")},
        {{"Spawn"}, refused("unknown command \"Spawn\"\n\n" + usage)},
        // Arguments are judged before the environment is read.
        {{"spawn"}, refused("the command \"spawn\" requires --task\n\n" + usage)},
        {{"list", "\xff"}, refused("argument 2 is not valid UTF-8: \"\xEF\xBF\xBD\"")},
    };
    for (const auto& [args, result] : cases) {
        EXPECT_EQ(run_ctl(args), result) << testing::PrintToString(args);
    }
    // Every variable is looked for before the port is checked.
    const auto list_with = [](const Env& env) { return run_ctl({"list"}, env); };
    EXPECT_EQ(list_with({"TARVOLT_CTL_PORT=", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"}),
              refused("missing TARVOLT_CTL_PORT" + missing));
    EXPECT_EQ(list_with({"TARVOLT_CTL_PORT=99999", "TARVOLT_TERMINAL_NAME=n"}),
              refused("missing TARVOLT_CTL_TOKEN" + missing));
    EXPECT_EQ(list_with({"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=\xff", "TARVOLT_TERMINAL_NAME=n"}),
              refused("missing TARVOLT_CTL_TOKEN" + missing));
    EXPECT_EQ(list_with({"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=t"}),
              refused("missing TARVOLT_TERMINAL_NAME" + missing));
    // A line break would end the token's header and start another.
    for (const std::string line_break : {"\r", "\n"}) {
        EXPECT_EQ(list_with({"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=t" + line_break + "x-evil: 1",
                             "TARVOLT_TERMINAL_NAME=n"}),
                  refused("TARVOLT_CTL_TOKEN holds a line break, which a request header cannot carry"));
    }
    EXPECT_EQ(list_with({"TARVOLT_CTL_PORT=65536", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"}),
              refused("Port should be >= 0 and < 65536. Received type number (65536)."));
}

// A control command's whole road: the body, the pending line and one final
// newline on stdout; or, when the reply has the wrong shape, nothing there.
TEST(RunMain, PrintsTheFramedBodyOrNothing) {
    const std::tuple<std::vector<std::string>, const char*, tvtest::RunResult> runs[] = {
        {{"list"},
         R"({"ok":true,"terminals":[{"name":"api-2","role":"subagent","status":"idle","cliId":"codex"}],
            "pending":{"runningTasks":2}})",
         printed("api-2  [subagent]  idle  (codex)\n\nidle (awaiting acceptance or ready for a task): api-2\n"
                 "pending: 2 task(s) still running\n")},
        {{"ack"},
         R"({"ok":true,"acknowledgedReportIds":["r1"],"closedTerminalNames":["api-2"],
            "closedWithoutCommitsTerminalNames":[],"closedInPlainFolderTerminalNames":[],"keptTerminalNames":"api-3",
            "pending":{"unreadReports":3}})",
         refused("responseBody.keptTerminalNames.join is not a function")},
    };
    for (const auto& [args, reply, result] : runs) {
        tvtest::FakeApp app({tvtest::json_answer(reply)});
        EXPECT_EQ(run_ctl(args, tvtest::pane_env(app.port())), result) << reply;
    }
}

TEST(RunMain, ClosedStandardOutputIsNoSuccess) {
    EXPECT_EQ(run_ctl({"help"}, {}, {.out = tvtest::Sink::reader_gone}),
              refused("could not write the result to standard output: Broken pipe (os error 32)"));
}

}  // namespace
