// Runs the built programs as children of a test and collects what they wrote.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace tvtest {

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
    bool operator==(const RunResult&) const = default;
};
inline void PrintTo(const RunResult& r, std::ostream* os) {
    *os << "status " << r.status << "\nout: " << r.out << "\nerr: " << r.err;
}
// A client run that succeeds with this output, or ends in this one sentence.
inline RunResult printed(const std::string& out) { return {0, out, ""}; }
inline RunResult refused(const std::string& sentence) { return {1, "", "tarvolt-ctl: " + sentence + "\n"}; }

constexpr int not_open = -2;

struct Spawn {
    std::vector<std::string> argv;  // argv[0] is the program's path
    std::vector<std::string> env;   // "NAME=value"; PATH is added from this process
    int out = -1;                   // descriptors for standard output and error: -1 is the null device,
    int err = -1;                   // not_open none at all
};

// The child's pid; standard input is the null device, and the interrupt
// signals are at their defaults, whatever this process inherited.
pid_t spawn(const Spawn& what);
// The exit status, or 128 + signal; `usage` receives the child's resources.
int wait_exit(pid_t pid, rusage* usage = nullptr);

// A pipe read by this test, a descriptor not open at all, /dev/full, or a
// pipe whose reading end is closed.
enum class Sink { pipe, closed, full, reader_gone };

struct RunCost {
    long max_rss_kb = 0;  // of the child and the children it waited for
    std::chrono::steady_clock::duration elapsed{};
};

struct RunOptions {
    Sink out = Sink::pipe;
    Sink err = Sink::pipe;
    std::chrono::seconds limit{60};  // a run still going then is killed (status 128 + 9)
    RunCost* cost = nullptr;         // filled in when given
};

RunResult run(std::vector<std::string> argv, const std::vector<std::string>& env = {}, const RunOptions& options = {});
// tarvolt-ctl with these arguments, behind the words of TARVOLT_CTL_WRAPPER when set.
RunResult run_ctl(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                  const RunOptions& options = {});

// The three variables a pane of the app gets.
std::vector<std::string> pane_env(std::uint16_t port, const std::string& name = "orchestrator",
                                  const std::string& token = "secret-token");

std::string read_file(const std::filesystem::path& path);
// Alive and not a zombie.
bool running(pid_t pid);

// Whether the condition holds by the limit, asked every 20 ms.
template <class Condition>
bool within(std::chrono::steady_clock::duration limit, Condition condition) {
    for (const auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

}  // namespace tvtest
