// The command line from the outside: what reaches stdout, stderr and the
// exit status.
#include "cli/usage_text.h"
#include "support/fake_app.h"
#include "support/run_ctl.h"

#include <gtest/gtest.h>

namespace {

using tvtest::run_ctl;

const std::string usage(tv::usage_text);

TEST(RunMain, HelpUsageAndEnvironmentErrors) {
    const struct {
        std::vector<std::string> args, env;
        int status;
        std::string out, err;
    } cases[] = {
        {{}, {}, 1, "", "missing command\n\n" + usage},
        {{"help", "extra"}, {}, 0, usage + "\n", ""},
        {{"-h"}, {}, 0, usage + "\n", ""},
        {{"--help", "--bogus"}, {}, 0, usage + "\n", ""},
        {{"Spawn"}, {}, 1, "", "unknown command \"Spawn\"\n\n" + usage},
        // Arguments are judged before the environment is read.
        {{"spawn"}, {}, 1, "", "the command \"spawn\" requires --task\n\n" + usage},
        {{"list", "\xff"}, {}, 1, "", "argument 2 is not valid UTF-8: \"\xEF\xBF\xBD\""},
        // Every variable is looked for before the port is checked.
        {{"list"},
         {"TARVOLT_CTL_PORT=", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"},
         1,
         "",
         "missing TARVOLT_CTL_PORT; run this inside a tarvolt terminal"},
        {{"list"},
         {"TARVOLT_CTL_PORT=99999", "TARVOLT_TERMINAL_NAME=n"},
         1,
         "",
         "missing TARVOLT_CTL_TOKEN; run this inside a tarvolt terminal"},
        {{"list"},
         {"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=\xff", "TARVOLT_TERMINAL_NAME=n"},
         1,
         "",
         "missing TARVOLT_CTL_TOKEN; run this inside a tarvolt terminal"},
        {{"list"},
         {"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=t"},
         1,
         "",
         "missing TARVOLT_TERMINAL_NAME; run this inside a tarvolt terminal"},
        // A line break would end the token's header and start another.
        {{"list"},
         {"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=t\r\nx-evil: 1", "TARVOLT_TERMINAL_NAME=n"},
         1,
         "",
         "TARVOLT_CTL_TOKEN holds a line break, which a request header cannot carry"},
        {{"list"},
         {"TARVOLT_CTL_PORT=65536", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"},
         1,
         "",
         "Port should be >= 0 and < 65536. Received type number (65536)."},
    };
    for (const auto& c : cases) {
        const auto r = run_ctl(c.args, c.env);
        const std::string what = testing::PrintToString(c.args) + testing::PrintToString(c.env);
        EXPECT_EQ(r, (tvtest::RunResult{c.status, c.out, c.err.empty() ? "" : "tarvolt-ctl: " + c.err + "\n"})) << what;
    }
}

// A control command's whole road: the body, the pending line and one final
// newline on stdout; or, when the reply has the wrong shape, nothing there.
TEST(RunMain, PrintsTheFramedBodyOrNothing) {
    const struct {
        std::vector<std::string> args;
        const char* reply;
        int status;
        const char* out;
        const char* err;
    } runs[] = {
        {{"list"},
         R"({"ok":true,"terminals":[{"name":"api-2","role":"subagent","status":"idle","cliId":"codex"}],
            "pending":{"runningTasks":2}})",
         0,
         "api-2  [subagent]  idle  (codex)\n\nidle (awaiting acceptance or ready for a task): api-2\n"
         "pending: 2 task(s) still running\n",
         ""},
        {{"ack"},
         R"({"ok":true,"acknowledgedReportIds":["r1"],"closedTerminalNames":["api-2"],
            "closedWithoutCommitsTerminalNames":[],"closedInPlainFolderTerminalNames":[],"keptTerminalNames":"api-3",
            "pending":{"unreadReports":3}})",
         1,
         "",
         "tarvolt-ctl: responseBody.keptTerminalNames.join is not a function\n"},
    };
    for (const auto& run : runs) {
        tvtest::FakeApp app({tvtest::json_answer(run.reply)});
        const tvtest::RunResult result = run_ctl(run.args, tvtest::pane_env(app.port()));
        EXPECT_EQ(result, (tvtest::RunResult{run.status, run.out, run.err})) << run.reply;
    }
}

TEST(RunMain, ClosedStandardOutputIsNoSuccess) {
    const auto r = run_ctl({"help"}, {}, {.out = tvtest::Sink::reader_gone});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tarvolt-ctl: could not write the result to standard output: Broken pipe (os error 32)\n");
}

}  // namespace
