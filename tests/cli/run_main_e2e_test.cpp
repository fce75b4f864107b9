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
    const std::pair<std::vector<std::string>, tvtest::RunResult> cases[] = {
        {{}, refused("missing command\n\n" + usage)},
        {{"help", "extra"}, printed(usage + "\n")},
        {{"-h"}, printed(usage + "\n")},
        {{"--help", "--bogus"}, printed(usage + "\n")},
        {{"Spawn"}, refused("unknown command \"Spawn\"\n\n" + usage)},
        // Arguments are judged before the environment is read.
        {{"spawn"}, refused("the command \"spawn\" requires --task\n\n" + usage)},
        {{"list", "\xff"}, refused("argument 2 is not valid UTF-8: \"\xEF\xBF\xBD\"")}};
    for (const auto& [args, result] : cases) EXPECT_EQ(run_ctl(args), result) << testing::PrintToString(args);
    // Every variable is looked for before the port is checked; a line break
    // would end the token's header and start another.
    const std::string missing = "; run this inside a tarvolt terminal";
    const std::string line_break = "TARVOLT_CTL_TOKEN holds a line break, which a request header cannot carry";
    const std::pair<std::vector<std::string>, std::string> environments[] = {
        {{"TARVOLT_CTL_PORT=", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"}, "missing TARVOLT_CTL_PORT" + missing},
        {{"TARVOLT_CTL_PORT=99999", "TARVOLT_TERMINAL_NAME=n"}, "missing TARVOLT_CTL_TOKEN" + missing},
        {{"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=\xff", "TARVOLT_TERMINAL_NAME=n"},
         "missing TARVOLT_CTL_TOKEN" + missing},
        {{"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=t"}, "missing TARVOLT_TERMINAL_NAME" + missing},
        {{"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=t\rx-evil: 1", "TARVOLT_TERMINAL_NAME=n"}, line_break},
        {{"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=t\nx-evil: 1", "TARVOLT_TERMINAL_NAME=n"}, line_break}};
    for (const auto& [env, sentence] : environments) EXPECT_EQ(run_ctl({"list"}, env), refused(sentence)) << sentence;
}

// A control command's whole road: the body, the pending line and one final
// newline on stdout; or, when the reply has the wrong shape, nothing there.
TEST(RunMain, PrintsTheFramedBodyOrNothing) {
    const std::tuple<std::vector<std::string>, const char*, tvtest::RunResult> runs[] = {
        {{"list"},
         R"({"ok":true,"terminals":[{"name":"api-2","role":"subagent","status":"idle","cliId":"codex"}],"pending":{"runningTasks":2}})",
         printed(
             "api-2  [subagent]  idle  (codex)\n\nidle (awaiting acceptance or ready for a task): api-2\npending: 2 task(s) still running\n")},
        {{"ack"},
         R"({"ok":true,"pending":{"unreadReports":3}})",
         refused("Cannot read properties of undefined (reading 'length')")}};
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
