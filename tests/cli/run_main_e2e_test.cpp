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
    tvtest::FakeApp app({tvtest::json_answer(R"({"ok":true,"terminals":[],"pending":{"runningTasks":2}})"),
                         tvtest::json_answer(R"({"ok":true,"pending":{"unreadReports":3}})")});
    const auto env = tvtest::pane_env(app.port());
    EXPECT_EQ(run_ctl({"list"}, env), printed("no live terminal\npending: 2 task(s) still running\n"));
    EXPECT_EQ(run_ctl({"ack"}, env), refused("Cannot read properties of undefined (reading 'length')"));
}

TEST(RunMain, ClosedStandardOutputIsNoSuccess) {
    EXPECT_EQ(run_ctl({"help"}, {}, {.out = tvtest::Sink::reader_gone}),
              refused("could not write the result to standard output: Broken pipe (os error 32)"));
}

}  // namespace
