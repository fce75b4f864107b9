// Whole runs of the client against a scripted app: the body, the pending
// line and the final newline on standard output, or a wrong-shape message
// with nothing on standard output.
#include "support/fake_app.h"
#include "support/run_ctl.h"

#include <gtest/gtest.h>

namespace {

struct ScriptedRun {
    std::vector<std::string> args;
    const char* reply;
    int status;
    const char* out;
    const char* err;
};

const ScriptedRun runs[] = {
    {{"status"},
     R"({"ok":true,"workstationName":"ws","worktreePath":"/w","branchName":"main","headCommit":"abc",
        "panels":[{"name":"api-2","role":"subagent","terminalStatus":"running","taskText":"fix","taskStatus":"open",
        "reportUnread":1,"progressPoint":"halfway"}],"pending":{"unreadReports":1,"runningTasks":2,"degraded":true}})",
     0,
     "workstation: ws\nworktree: /w on main at abc\n\npanels:\n"
     "  api-2  [subagent]  running  \"fix\" [open]  REPORT NOT READ\n    marco: halfway\n"
     "pending: 1 report(s) NOT read yet - run \"tarvolt-ctl inbox\", then \"tarvolt-ctl ack\"; 2 task(s) still "
     "running; the workstation journal could not be written, so this ledger is incomplete\n",
     ""},
    {{"inbox"},
     R"({"ok":true,"reports":[{"reportId":"r1","from":"api-2","at":"t1","taskText":null,"text":"done ✓"}],
        "pending":{"unreadReports":0,"runningTasks":1.5}})",
     0,
     "--- report r1 from api-2 at t1\ndone ✓\n\n"
     "acknowledge them with \"tarvolt-ctl ack\" once you have read them\n"
     "pending: 1.5 task(s) still running\n",
     ""},
    {{"ack"},
     R"({"ok":true,"acknowledgedReportIds":["r1"],"closedTerminalNames":["api-2"],
        "closedWithoutCommitsTerminalNames":[],"closedInPlainFolderTerminalNames":[],"keptTerminalNames":"api-3",
        "pending":{"unreadReports":3}})",
     1, "", "tarvolt-ctl: responseBody.keptTerminalNames.join is not a function\n"},
    {{"spawn", "--task", "build it"},
     R"({"ok":true,"terminalName":"api-2","cliId":"codex","model":null,"mcpWarnings":["mcp fs missing",1],
        "pending":{"degraded":true}})",
     0,
     "subterminal created: api-2 (cli codex, model null)\nwarning: mcp fs missing\n"
     "pending: the workstation journal could not be written, so this ledger is incomplete\n",
     ""},
    {{"list"}, R"({"ok":true,"terminals":[{"name":"api-2","role":"subagent","status":"idle","cliId":"codex"}]})", 0,
     "api-2  [subagent]  idle  (codex)\n\nidle (awaiting acceptance or ready for a task): api-2\n", ""},
    // The header and the terminals are built before protocol is found missing.
    {{"brief"},
     R"({"ok":true,"build":{},"terminals":[],"categories":[],"catalog":[],"pending":{"runningTasks":1}})", 1, "",
     "tarvolt-ctl: responseBody.protocol is not iterable\n"},
    // A body that ends in a line break still gets the frame's own.
    {{"quota"}, R"({"ok":true,"renderedSnapshot":"a\nb\n"})", 0, "a\nb\n\n", ""},
};

TEST(RenderedRun, PrintsBodyAndPendingLineOrFailsCleanly) {
    for (const ScriptedRun& run : runs) {
        tvtest::FakeApp app({tvtest::json_answer(run.reply)});
        const tvtest::RunResult result = tvtest::run_ctl(run.args, tvtest::pane_env(app.port()));
        EXPECT_EQ(result.status, run.status) << run.reply;
        EXPECT_EQ(result.out, run.out) << run.reply;
        EXPECT_EQ(result.err, run.err) << run.reply;
        EXPECT_EQ(app.requests().size(), 1u) << run.reply;
    }
}

}  // namespace
