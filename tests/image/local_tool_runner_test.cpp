#include "image/local_tool_runner.h"
#include "support/outcome.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <csignal>
#include <fstream>
#include <limits>
#include <system_error>
#include <thread>

namespace tv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
namespace fs = std::filesystem;

class LocalToolRunner : public testing::Test {
protected:
    void TearDown() override {
        // Background processes that a command line left behind.
        std::ifstream pids(pid_file());
        for (pid_t pid; pids >> pid;) ::kill(pid, SIGKILL);
    }

    std::string out() const { return (scratch_ / "out.png").string(); }
    std::string pid_file() const { return (scratch_ / "pid").string(); }

    AttemptOutcome run(const std::string& command_line, std::uint64_t timeout_ms = 20'000) {
        const auto start = Clock::now();
        ImageAttempt attempt;
        attempt.command_line = command_line;
        attempt.timeout = duration_from_ms(timeout_ms);
        AttemptOutcome outcome = run_local_image_tool(attempt, out());
        elapsed_ = Clock::now() - start;
        return outcome;
    }

    tvtest::ScratchDir scratch_{"local-tool"};
    Clock::duration elapsed_{};
};
using LocalToolRunnerSlow = LocalToolRunner;

TEST_F(LocalToolRunner, JudgesExitStatusFileAndStandardError) {
    const std::string o = out();
    const std::string nothing = "the tool printed nothing on stderr";
    const std::pair<std::string, std::string> cases[] = {
        {"echo shown-nowhere; echo ' why \n' >&2",
         "exited cleanly but wrote no file at " + o + "; the tool reported:  why"},
        {": > '" + o + "'", "exited cleanly but wrote no file at " + o + "; " + nothing},
        {"mkdir '" + o + "'", "exited cleanly but wrote no file at " + o + "; " + nothing},
        {"printf png > '" + o + ".real'; ln -s '" + o + ".real' '" + o + "'", ""},
        {"printf png > '" + o + "'; exit 3", "failed with exit code 3; " + nothing},
        {"printf ' \\n\\t \\n' >&2; exit 255", "failed with exit code 255; " + nothing},
        {"echo dying >&2; kill -TERM $$", "failed with a signal; the tool reported: dying"},
        {"printf 'bad \\377\\376 x\\n\\n  ' >&2; exit 2",
         "failed with exit code 2; the tool reported: bad \uFFFD\uFFFD x"},
        // 4000 characters in 4001 bytes: not cut.
        {"printf '%03999d\\303\\251' 0 >&2; exit 1",
         "failed with exit code 1; the tool reported: " + std::string(3999, '0') + "\u00e9"}};
    for (const auto& [command_line, reason] : cases) {
        fs::remove_all(o);
        const AttemptOutcome outcome = run(command_line);
        EXPECT_EQ(outcome.delivered, reason.empty()) << command_line;
        EXPECT_EQ(outcome.reason, reason) << command_line;
    }
    EXPECT_EQ(judge_tool_run({true, 0, ""}, 2, o).reason,
              "did not finish within 2 minute(s) and was stopped; " + nothing);
}

TEST_F(LocalToolRunner, StartsTheChildWithDefaultSigpipeAndNoInput) {
    // The client ignores SIGPIPE, and its own standard input is not the
    // tool's: the tool dies quietly of a broken pipe and reads the null device.
    const int saved_input = ::dup(STDIN_FILENO);
    const int typed = ::open("/proc/version", O_RDONLY);
    ::dup2(typed, STDIN_FILENO);
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    const AttemptOutcome outcome = run("yes | head -c 1 > /dev/null; cat >&2; readlink /proc/self/fd/0 >&2; exit 5");
    std::signal(SIGPIPE, previous);
    ::dup2(saved_input, STDIN_FILENO);
    ::close(typed);
    ::close(saved_input);
    EXPECT_EQ(outcome.reason, "failed with exit code 5; the tool reported: /dev/null");
}

TEST_F(LocalToolRunner, HandsTheChildOnlyItsThreeStreams) {
    // Descriptors this test process itself lets children inherit.
    std::size_t inheritable = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        const int fd = std::stoi(entry.path().filename());
        if (fd > 2 && ::fcntl(fd, F_GETFD) >= 0 && !(::fcntl(fd, F_GETFD) & FD_CLOEXEC)) ++inheritable;
    }
    // Listed by a program the shell execs: the shell itself keeps a copy of
    // standard output while a redirection is in force.
    const std::string listing = run("exec ls -l /proc/self/fd >&2").reason;
    std::size_t pipes = 0;
    for (std::size_t at = listing.find("pipe:"); at != std::string::npos; at = listing.find("pipe:", at + 1)) ++pipes;
    EXPECT_EQ(listing.find("eventfd"), std::string::npos) << listing;
    EXPECT_LE(pipes, 2 + inheritable) << listing;
}

TEST_F(LocalToolRunner, EndsTheRunWhenACommandLineHoldsANulByte) {
    EXPECT_EQ(tvtest::failure_of([&] { run(std::string("true\0x", 6)); }),
              "could not start the image tool: nul byte found in provided data");
}

TEST_F(LocalToolRunner, KillsAndReapsTheChildWhenAReaderCannotStart) {
    for (const int working_readers : {0, 1}) {
        int started = 0;
        const ThreadStarter starter = [&](std::function<void()> body) {
            if (started++ == working_readers) throw std::system_error(EAGAIN, std::generic_category());
            return std::thread(std::move(body));
        };
        const auto begin = Clock::now();
        EXPECT_EQ(tvtest::failure_of([&] { run_shell_child("sleep 30", duration_from_ms(20'000), starter); }),
                  "could not start the image tool: Resource temporarily unavailable (os error 11)");
        EXPECT_LT(Clock::now() - begin, std::chrono::seconds(5));
        EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // no child left, not even a zombie
        EXPECT_EQ(errno, ECHILD);
    }
}

TEST_F(LocalToolRunnerSlow, StopsAToolAndWhatItStartedAtItsTimeLimit) {
    // Killing sh leaves its own children holding both pipes: not waited for, and stopped with it. One that left
    // the tool's process group keeps the pipes, and is not waited for either.
    const std::string background = (scratch_ / "from-background").string();
    const std::string inner = (scratch_ / "from-inner-shell").string();
    const auto start = Clock::now();
    for (const std::string& command_line :
         {"(sleep 1; printf late > '" + background + "') & wait", "sh -c 'sleep 1; printf late > \"" + inner + "\"'",
          std::string("exec sleep 30"), std::string("trap '' TERM; while :; do sleep 0.1; done"),
          "setsid sleep 20 & echo $! >> '" + pid_file() + "'; wait"}) {
        EXPECT_EQ(run("echo partial >&2; " + command_line, 300).reason,
                  "did not finish within 1 minute(s) and was stopped; the tool reported: partial");
        // The child is watched every 100 ms; 300 ms more for a busy machine.
        EXPECT_GE(elapsed_, milliseconds(300)) << command_line;
        EXPECT_LT(elapsed_, milliseconds(300 + 100 + 300)) << command_line;
    }
    std::this_thread::sleep_until(start + milliseconds(1'800));
    EXPECT_FALSE(fs::exists(background));
    EXPECT_FALSE(fs::exists(inner));
}

TEST_F(LocalToolRunnerSlow, LetsGoOfPipesHeldAfterTheToolEnded) {
    const std::string holder = "sleep 20 & echo $! >> '" + pid_file() + "'; echo done >&2; ";
    // A limit beyond the clock's range is held at its end, not wrapped round.
    const std::tuple<std::string, std::uint64_t, std::string> cases[] = {
        {holder + "printf png > '" + out() + "'", 20'000, ""},
        {holder + "exit 3", std::numeric_limits<std::uint64_t>::max(),
         "failed with exit code 3; the tool reported: done"}};
    for (const auto& [command_line, timeout_ms, reason] : cases) {
        const AttemptOutcome outcome = run(command_line, timeout_ms);
        EXPECT_EQ(outcome.delivered, reason.empty()) << command_line;
        EXPECT_EQ(outcome.reason, reason);
        EXPECT_LT(elapsed_, milliseconds(2'000)) << command_line;
    }
    // A tool that ended by itself may leave a process running on purpose.
    std::ifstream pids(pid_file());
    for (pid_t pid; pids >> pid;) EXPECT_TRUE(tvtest::running(pid)) << pid;
}

}  // namespace
}  // namespace tv
