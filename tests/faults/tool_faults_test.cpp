// Local image tools that misbehave, run by the image command end to end: the
// result is judged only by the tool's exit and the file at the output path,
// in bounded time and memory.
#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"
#include "values/json.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

using namespace std::chrono_literals;

std::string with_path(const std::string& text, const std::string& path) {
    return tvtest::replaced(text, "{out}", "'" + path + "'");
}

struct ToolRow {
    const char* fault;
    std::string setup;         // a shell line run before the client, or ""
    std::string command_line;  // {out} stands for the quoted output path
    std::uint64_t timeout_ms;
    std::string reason;  // "" when the file is delivered
    std::chrono::seconds within;
    long max_kb = 64 * 1024;  // tarvolt-ctl's peak resident size
};

TEST(ToolFaultsSlow, JudgedByExitAndFileOnly) {
    tvtest::ScratchDir scratch("tool-faults");
    const std::string out = (scratch / "kite.png").string();
    tvtest::ScratchDir elsewhere("tool-faults-elsewhere");
    const std::string victim = (elsewhere / "victim").string();
    const std::string none = "the tool printed nothing on stderr";
    const std::string no_file = "exited cleanly but wrote no file at " + out + "; ";
    const std::string stopped = "did not finish within 1 minute(s) and was stopped; ";
    const std::vector<ToolRow> rows = {
        {"writes 1 GiB to stdout, then draws", "", "head -c 1073741824 /dev/zero; printf png > {out}", 20'000, "", 20s},
        {"closes stderr early, then draws", "", "exec 2>&-; sleep 0.2; printf png > {out}", 20'000, "", 5s},
        {"closes stderr early, then fails", "", "echo before >&2; exec 2>&-; sleep 0.2; exit 3", 20'000,
         "failed with exit code 3; the tool reported: before", 5s},
        {"closes both streams, then draws", "", "exec >&- 2>&-; sleep 0.3; printf png > {out}", 20'000, "", 5s},
        {"floods stderr with 256 MiB, then fails", "", "head -c 268435456 /dev/zero >&2; exit 1", 20'000,
         "failed with exit code 1; the tool reported: " + std::string(4000, '\0') + "\u2026 (output truncated)", 20s,
         32 * 1024},
        {"ignores SIGTERM", "", "trap '' TERM; echo stubborn >&2; while :; do sleep 0.1; done", 1'000,
         stopped + "the tool reported: stubborn", 6s},
        {"replaces the output path with a FIFO", "", "mkfifo {out}", 20'000, no_file + none, 5s},
        {"links the output path to a good file", "", "printf png > {out}.real; ln -s {out}.real {out}", 20'000, "", 5s},
        {"links the output path to nothing", "", "ln -s {out}.none {out}", 20'000, no_file + none, 5s},
        {"links the output path to a directory", "", "mkdir {out}.d; ln -s {out}.d {out}", 20'000, no_file + none, 5s},
        // What an earlier run left at the path is removed before the tool starts.
        {"finds a FIFO left at the path", "mkfifo {out}", "[ -e {out} ] && exit 9; printf png > {out}", 20'000, "", 5s},
        {"finds a link to another file left at the path",
         "printf keep > '" + victim + "'; ln -s '" + victim + "' {out}", "[ -e {out} ] && exit 9; printf png > {out}",
         20'000, "", 5s},
    };
    for (const ToolRow& row : rows) {
        (void)!std::system(("rm -rf '" + scratch.path().string() + "'/*").c_str());
        if (!row.setup.empty()) {
            ASSERT_EQ(std::system(with_path(row.setup, out).c_str()), 0) << row.fault;
        }
        tv::Json plan = {{"ok", true}, {"outputPath", out}};
        plan["attempts"] = tv::Json::array({tv::Json{{"kind", "command"},
                                                     {"timeoutMs", row.timeout_ms},
                                                     {"imageCliId", "codex-image"},
                                                     {"toolName", "Codex"},
                                                     {"model", "m"},
                                                     {"commandLine", with_path(row.command_line, out)}}});
        tvtest::FakeApp app([&](const tvtest::Request& request) {
            return tvtest::json_answer(request.body.find("\"plan\"") != std::string::npos ? tv::to_compact_text(plan)
                                                                                          : R"({"ok":true})");
        });
        tvtest::RunCost cost;
        const auto r = tvtest::run_ctl({"image", "--prompt", "kite"}, tvtest::pane_env(app.port()), {.cost = &cost});
        const std::string progress =
            "tarvolt-ctl: [1/1] generating with local tool Codex, model m, up to 1 min; writing " + out + "\n";
        if (row.reason.empty()) {
            EXPECT_EQ(r, (tvtest::RunResult{0, out + "\n", progress})) << row.fault;
            EXPECT_EQ(app.requests().back().body,
                      R"({"command":"image","from":"orchestrator","phase":"record","path":")" + out + R"("})")
                << row.fault;
        } else {
            EXPECT_EQ(r.status, 1) << row.fault;
            EXPECT_EQ(r.out, "") << row.fault;
            // The summary that follows is the image command's own.
            const std::string reported = progress + "tarvolt-ctl: Codex " + row.reason + "\n";
            EXPECT_EQ(r.err.substr(0, reported.size()), reported) << row.fault;
        }
        EXPECT_LT(cost.elapsed, row.within) << row.fault;
        EXPECT_LT(cost.max_rss_kb, row.max_kb) << row.fault;
    }
    EXPECT_EQ(tvtest::read_file(victim), "keep");
}

}  // namespace
