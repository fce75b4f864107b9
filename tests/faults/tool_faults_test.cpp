// Local image tools that misbehave, run by the image command end to end: the
// result is judged only by the tool's exit and the file at the output path,
// in bounded time and memory.
#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

using namespace std::chrono_literals;

struct ToolRow {
    const char* fault;
    std::string setup;         // a shell line run before the client, or ""
    std::string command_line;  // {out} stands for the quoted output path
    std::string reason;        // "" when the file is delivered
    std::chrono::seconds within = 5s;
    long max_kb = 64 * 1024;  // tarvolt-ctl's peak resident size
};

TEST(ToolFaultsSlow, JudgedByExitAndFileOnly) {
    tvtest::ScratchDir scratch("tool-faults");
    const std::string out = (scratch / "kite.png").string();
    const std::string quoted = "'" + out + "'";
    tvtest::ScratchDir elsewhere("tool-faults-elsewhere");
    const std::string victim = (elsewhere / "victim").string();
    const std::string no_file = "exited cleanly but wrote no file at " + out + "; the tool printed nothing on stderr";
    const std::string draw = "printf png > {out}";
    const std::vector<ToolRow> rows = {
        {"writes 1 GiB to stdout, then draws", "", "head -c 1073741824 /dev/zero; " + draw, "", 20s},
        {"closes stderr early, then draws", "", "exec 2>&-; sleep 0.2; " + draw, ""},
        {"closes stderr early, then fails", "", "echo before >&2; exec 2>&-; sleep 0.2; exit 3",
         "failed with exit code 3; the tool reported: before"},
        {"closes both streams, then draws", "", "exec >&- 2>&-; sleep 0.3; " + draw, ""},
        {"floods stderr with 256 MiB, then fails", "", "head -c 268435456 /dev/zero >&2; exit 1",
         "failed with exit code 1; the tool reported: " + std::string(4000, '\0') + "\u2026 (output truncated)", 20s,
         32 * 1024},
        {"replaces the output path with a FIFO", "", "mkfifo {out}", no_file},
        {"links the output path to a good file", "", "printf png > {out}.real; ln -s {out}.real {out}", ""},
        {"links the output path to nothing", "", "ln -s {out}.none {out}", no_file},
        {"links the output path to a directory", "", "mkdir {out}.d; ln -s {out}.d {out}", no_file},
        // What an earlier run left at the path is removed before the tool starts.
        {"finds a FIFO left at the path", "mkfifo {out}", "[ -e {out} ] && exit 9; " + draw, ""},
        {"finds a link to another file left at the path",
         "printf keep > '" + victim + "'; ln -s '" + victim + "' {out}", "[ -e {out} ] && exit 9; " + draw, ""},
    };
    const std::string progress =
        "tarvolt-ctl: [1/1] generating with local tool Codex, model m, up to 1 min; writing " + out + "\n";
    for (const ToolRow& row : rows) {
        SCOPED_TRACE(row.fault);
        (void)!std::system(("rm -rf '" + scratch.path().string() + "'/*").c_str());
        ASSERT_EQ(std::system(tvtest::replaced(row.setup, "{out}", quoted).c_str()), 0);
        const std::string command_line = tvtest::replaced(row.command_line, "{out}", quoted);
        tvtest::FakeApp app(tvtest::plan_then(tvtest::tool_plan(out, command_line)));
        tvtest::RunCost cost;
        const auto r = tvtest::run_ctl({"image", "--prompt", "kite"}, tvtest::pane_env(app.port()), {.cost = &cost});
        if (row.reason.empty()) {
            EXPECT_EQ(r, (tvtest::RunResult{0, out + "\n", progress}));
            EXPECT_EQ(app.requests().back().body,
                      R"({"command":"image","from":"orchestrator","phase":"record","path":")" + out + R"("})");
        } else {
            // The summary that follows is the image command's own.
            const std::string reported = progress + "tarvolt-ctl: Codex " + row.reason + "\n";
            EXPECT_EQ((tvtest::RunResult{r.status, r.out, r.err.substr(0, reported.size())}),
                      (tvtest::RunResult{1, "", reported}));
        }
        EXPECT_LT(cost.elapsed, row.within);
        EXPECT_LT(cost.max_rss_kb, row.max_kb);
    }
    EXPECT_EQ(tvtest::read_file(victim), "keep");
}

}  // namespace
