// The command line from the outside: what reaches stdout, stderr and the
// exit status before any request is sent.
#include "cli/usage_text.h"
#include "support/fake_app.h"
#include "support/run_ctl.h"

#include <gtest/gtest.h>

namespace {

using tvtest::run_ctl;

const std::string usage(tv::usage_text);

TEST(RunMain, HelpAndUsageErrors) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out, err;
    } cases[] = {
        {{}, 1, "", "tarvolt-ctl: missing command\n\n" + usage + "\n"},
        {{"help", "extra"}, 0, usage + "\n", ""},
        {{"-h"}, 0, usage + "\n", ""},
        {{"--help", "--bogus"}, 0, usage + "\n", ""},
        {{"Spawn"}, 1, "", "tarvolt-ctl: unknown command \"Spawn\"\n\n" + usage + "\n"},
        {{"spawn", "--help"}, 1, "", "tarvolt-ctl: unknown option \"--help\" for the command \"spawn\"\n\n" + usage + "\n"},
        // Options are judged before the environment is read.
        {{"spawn"}, 1, "", "tarvolt-ctl: the command \"spawn\" requires --task\n\n" + usage + "\n"},
        {{"list"}, 1, "", "tarvolt-ctl: missing TARVOLT_CTL_PORT; run this inside a tarvolt terminal\n"},
        {{"list", "\xff"}, 1, "", "tarvolt-ctl: argument 2 is not valid UTF-8: \"\xEF\xBF\xBD\"\n"},
    };
    for (const auto& c : cases) {
        const auto r = run_ctl(c.args);
        EXPECT_EQ(r.status, c.status) << testing::PrintToString(c.args);
        EXPECT_EQ(r.out, c.out) << testing::PrintToString(c.args);
        EXPECT_EQ(r.err, c.err) << testing::PrintToString(c.args);
    }
}

TEST(RunMain, EnvironmentIsReadInOrderThenThePortChecked) {
    const struct {
        std::vector<std::string> env;
        std::string err;
    } cases[] = {
        {{"TARVOLT_CTL_PORT=", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"},
         "missing TARVOLT_CTL_PORT; run this inside a tarvolt terminal"},
        {{"TARVOLT_CTL_PORT=99999", "TARVOLT_TERMINAL_NAME=n"},
         "missing TARVOLT_CTL_TOKEN; run this inside a tarvolt terminal"},
        {{"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=\xff", "TARVOLT_TERMINAL_NAME=n"},
         "missing TARVOLT_CTL_TOKEN; run this inside a tarvolt terminal"},
        {{"TARVOLT_CTL_PORT=1", "TARVOLT_CTL_TOKEN=t"},
         "missing TARVOLT_TERMINAL_NAME; run this inside a tarvolt terminal"},
        {{"TARVOLT_CTL_PORT=65536", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"},
         "Port should be >= 0 and < 65536. Received type number (65536)."},
        {{"TARVOLT_CTL_PORT=1e400", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"},
         "Port should be >= 0 and < 65536. Received type number (Infinity)."},
    };
    for (const auto& c : cases) {
        const auto r = run_ctl({"list"}, c.env);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "tarvolt-ctl: " + c.err + "\n");
    }
}

TEST(RunMain, ClosedStandardOutputIsNoSuccess) {
    tvtest::RunOptions closed;
    closed.stdout_closed = true;
    const auto r = run_ctl({"help"}, {}, closed);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tarvolt-ctl: could not write the result to standard output: Broken pipe (os error 32)\n");
}

}  // namespace
