// Reports shortened from bounded bytes, and what a local tool leaves behind
// when the client is interrupted.
#include "image/tool_report.h"
#include "support/fake_app.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

namespace tv {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using tvtest::within;

// Standard error read in pieces of every size must give the report that all
// of it gives, from a few kilobytes.
TEST(ToolReportShortening, GivesTheSameReportFromBoundedBytes) {
    const auto repeat = [](std::string_view piece, std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += piece;
        return s;
    };
    std::vector<std::string> inputs = {"  why \n", std::string(50'000, 'a'),
                                       std::string(4'000, 'a') + std::string(60'000, ' '),
                                       std::string(3'999, 'a') + repeat("\u3000", 20'000) + "b",
                                       repeat("\u00e9", 20'000), std::string(4'000, 'a') + repeat("\xE2\x80", 20'000),
                                       // An open sequence at the edge of the shown characters, white space after.
                                       std::string(3'999, 'x') + "\xE2\x80" + repeat("\u2000", 20'000),
                                       std::string(3'998, 'x') + "\xF0\x9F" + std::string(40'000, '\n') + "\x98\x80"};
    // White space of every width, broken sequences and rare text, at random.
    const std::string_view pieces[] = {" ",        "\n",   "\u3000", "\u0085", "\u202f",
                                       "\xE2\x80", "\xC3", "\x80",   "a",      "\u00e9"};
    std::mt19937 random(7);
    for (int n = 0; n < 6; ++n) {
        std::string s(3'990 + n * 3, 'a');
        while (s.size() < 80'000) s += pieces[random() % 100 < 97 ? random() % 5 : 5 + random() % 5];
        inputs.push_back(std::move(s));
    }
    for (const std::string& all : inputs) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{4'093}, std::size_t{65'536}}) {
            std::string kept;
            bool complete = false;
            for (std::size_t at = 0; at < all.size() && !complete; at += piece) {
                kept += all.substr(at, piece);
                complete = shorten_for_tool_report(kept);
                ASSERT_LE(kept.size(), 32'000 + piece);
            }
            EXPECT_EQ(tool_report(kept), tool_report(all)) << all.size() << " bytes in pieces of " << piece;
        }
    }
}

TEST(ToolRunnerFaultsSlow, LeavesNoToolBehindWhenTheClientIsInterrupted) {
    const tvtest::ScratchDir dir("client-interrupted");
    const std::string pids = (dir / "tool-pids").string();
    const std::string command_line =
        "sleep 30 & echo $$ $! > '" + pids + ".new'; mv '" + pids + ".new' '" + pids + "'; wait";
    tvtest::FakeApp app(tvtest::plan_then(tvtest::tool_plan("/nonexistent/k.png", command_line)));
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        fs::remove(pids);
        const pid_t client =
            tvtest::spawn({{TARVOLT_CTL_PATH, "image", "--prompt", "kite"}, tvtest::pane_env(app.port())});
        EXPECT_TRUE(within(5s, [&] { return fs::exists(pids); })) << signal_number;
        pid_t shell = 0, tool_pid = 0;
        std::ifstream(pids) >> shell >> tool_pid;

        ::kill(client, signal_number);
        EXPECT_EQ(tvtest::wait_exit(client), 128 + signal_number);
        EXPECT_TRUE(within(2s, [&] { return !tvtest::running(shell) && !tvtest::running(tool_pid); })) << signal_number;
        if (tool_pid > 0) ::kill(tool_pid, SIGKILL);
    }
}

}  // namespace
}  // namespace tv
