// What a local tool leaves behind: children that outlive it, pipes held open
// after its end, and floods on standard error.
#include "image/local_tool_runner.h"
#include "image/tool_report.h"
#include "support/fake_app.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"
#include "values/json.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Alive and not a zombie.
bool running(pid_t pid) {
    const std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

template <class Condition>
bool within(Clock::duration limit, Condition condition) {
    for (const auto end = Clock::now() + limit; Clock::now() < end;) {
        if (condition()) return true;
        std::this_thread::sleep_for(milliseconds(20));
    }
    return condition();
}

// Standard error read in pieces of every size must give the report that all
// of it gives, from a few kilobytes.
TEST(ToolReportShortening, GivesTheSameReportFromBoundedBytes) {
    const auto repeat = [](std::string_view piece, std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) s += piece;
        return s;
    };
    std::vector<std::string> inputs = {
        "  why \n",
        std::string(50'000, 'a'),
        std::string(4'000, 'a') + std::string(60'000, ' '),
        std::string(3'999, 'a') + repeat("\u3000", 20'000) + "b",
        repeat("\u00e9", 20'000),
        std::string(4'000, 'a') + repeat("\xE2\x80", 20'000),
        // An open sequence at the edge of the shown characters, white space after.
        std::string(3'999, 'x') + "\xE2\x80" + repeat("\u2000", 20'000),
        std::string(3'998, 'x') + "\xF0\x9F" + std::string(40'000, '\n') + "\x98\x80",
    };
    // White space of every width, broken sequences and rare text, at random.
    const std::string_view pieces[] = {" ", "\n", "\u3000", "\u0085", "\u202f", "\xE2\x80", "\xC3", "\x80", "a", "\u00e9"};
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
            std::size_t largest = 0;
            for (std::size_t at = 0; at < all.size() && !complete; at += piece) {
                kept += all.substr(at, piece);
                complete = shorten_for_tool_report(kept);
                largest = std::max(largest, kept.size());
            }
            EXPECT_EQ(tool_report(kept), tool_report(all)) << all.size() << " bytes in pieces of " << piece;
            EXPECT_LE(largest, 32'000 + piece);
        }
    }
}

class ToolRunnerFaultsSlow : public testing::Test {
protected:
    void TearDown() override {
        // What a command line left running on purpose.
        std::ifstream pids(dir_ / "pids");
        for (pid_t pid; pids >> pid;) ::kill(pid, SIGKILL);
    }

    AttemptOutcome run(const std::string& command_line, std::uint64_t timeout_ms) {
        ImageAttempt attempt;
        attempt.command_line = command_line;
        attempt.timeout = duration_from_ms(timeout_ms);
        const auto start = Clock::now();
        AttemptOutcome outcome = run_local_image_tool(attempt, out());
        elapsed_ = Clock::now() - start;
        return outcome;
    }

    std::string out() const { return (dir_ / "out.png").string(); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    tvtest::ScratchDir scratch_{"tool-runner-faults"};
    const fs::path& dir_ = scratch_.path();
    Clock::duration elapsed_{};
};

TEST_F(ToolRunnerFaultsSlow, StopsWhatTheToolStartedAtItsTimeLimit) {
    const std::string commands[] = {
        "(sleep 1; printf late > '" + path("from-background") + "') & wait",
        "sh -c 'sleep 1; printf late > \"" + path("from-inner-shell") + "\"'",
    };
    const auto start = Clock::now();
    for (const std::string& command_line : commands) {
        EXPECT_EQ(run(command_line, 300).reason,
                  "did not finish within 1 minute(s) and was stopped; the tool printed nothing on stderr");
    }
    std::this_thread::sleep_until(start + milliseconds(1'800));
    EXPECT_FALSE(fs::exists(path("from-background")));
    EXPECT_FALSE(fs::exists(path("from-inner-shell")));
}

TEST_F(ToolRunnerFaultsSlow, LetsGoOfPipesHeldAfterTheToolEnded) {
    const std::string holder = "sleep 20 & echo $! >> '" + path("pids") + "'; echo done >&2; ";
    const struct {
        std::string command_line;
        std::uint64_t timeout_ms;
        std::string reason;  // empty: delivered
    } cases[] = {
        {holder + "printf png > '" + out() + "'", 20'000, ""},
        {holder + "exit 3", std::numeric_limits<std::uint64_t>::max(), "failed with exit code 3; the tool reported: done"},
    };
    for (const auto& c : cases) {
        const AttemptOutcome outcome = run(c.command_line, c.timeout_ms);
        EXPECT_EQ(outcome.delivered, c.reason.empty()) << c.command_line;
        EXPECT_EQ(outcome.reason, c.reason);
        EXPECT_LT(elapsed_, milliseconds(2'000)) << c.command_line;
    }
    // A tool that ended by itself may leave a process running on purpose.
    std::ifstream pids(path("pids"));
    for (pid_t pid; pids >> pid;) EXPECT_TRUE(running(pid)) << pid;
}

// The client as an agent runs it, against an app whose plan holds one tool.
class ClientRun {
public:
    explicit ClientRun(const std::string& command_line)
        : app_([command_line](const tvtest::Request& r) {
              const Json body = parse_json(r.body).value.value_or(Json());
              if (body.value("phase", "") != "plan") return tvtest::json_answer(R"({"ok":true})");
              const Json tool = {{"kind", "command"},         {"timeoutMs", 20'000}, {"imageCliId", "codex-image"},
                                 {"toolName", "Codex"},       {"model", "m"},        {"commandLine", command_line}};
              const Json plan = {{"ok", true}, {"attempts", Json::array({tool})}, {"outputPath", "/nonexistent/k.png"}};
              return tvtest::json_answer(to_compact_text(plan));
          }) {}

    // Started with the interrupt signals at their defaults, whatever this
    // process inherited; its standard error goes to `err_path`.
    void start(const std::string& err_path) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        sigset_t set;
        sigemptyset(&set);
        posix_spawnattr_setsigmask(&attr, &set);
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
        posix_spawnattr_setsigdefault(&attr, &set);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        std::vector<std::string> text = {TARVOLT_CTL_PATH, "image", "--prompt", "kite"};
        std::vector<std::string> env = tvtest::pane_env(app_.port(), "pane-2");
        env.push_back(std::string("PATH=") + std::getenv("PATH"));
        std::vector<char*> argv, envp;
        for (auto& t : text) argv.push_back(t.data());
        for (auto& e : env) envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], &actions, &attr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        ASSERT_GT(pid_, 0);
    }

    pid_t pid() const { return pid_; }

    // The wait status; `peak_kb` receives the client's largest resident size.
    int finish(long* peak_kb = nullptr) {
        int status = 0;
        rusage usage{};
        while (::wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        if (peak_kb) *peak_kb = usage.ru_maxrss;
        return status;
    }

    ~ClientRun() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            finish();
        }
    }

private:
    tvtest::FakeApp app_;
    pid_t pid_ = -1;
};

TEST_F(ToolRunnerFaultsSlow, LeavesNoToolBehindWhenTheClientIsInterrupted) {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string pids = path("tool-pids");
        fs::remove(pids);
        ClientRun client("sleep 30 & echo $$ $! > '" + pids + ".new'; mv '" + pids + ".new' '" + pids + "'; wait");
        client.start(path("err"));
        ASSERT_TRUE(within(std::chrono::seconds(5), [&] { return fs::exists(pids); })) << signal_number;
        pid_t shell = 0, tool = 0;
        std::ifstream(pids) >> shell >> tool;

        ::kill(client.pid(), signal_number);
        const int status = client.finish();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << signal_number << ": " << status;
        EXPECT_TRUE(within(std::chrono::seconds(2), [&] { return !running(shell) && !running(tool); }))
            << signal_number;
        ::kill(tool, SIGKILL);
    }
}

TEST_F(ToolRunnerFaultsSlow, ReportsAFloodOnStandardErrorFromLittleMemory) {
    ClientRun client("head -c 268435456 /dev/zero >&2; exit 1");
    client.start(path("err"));
    long peak_kb = 0;
    EXPECT_EQ(WEXITSTATUS(client.finish(&peak_kb)), 1);
    const std::string reason =
        "Codex failed with exit code 1; the tool reported: " + std::string(4000, '\0') + "\u2026 (output truncated)\n";
    EXPECT_NE(read_file(path("err")).find(reason), std::string::npos);
    EXPECT_LT(peak_kb, 32 * 1024);
}

}  // namespace
}  // namespace tv
