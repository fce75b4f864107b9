#include "support/run_ctl.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tvtest {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> pointers(const std::vector<std::string>& text) {
    std::vector<char*> p;
    for (const auto& t : text) p.push_back(const_cast<char*>(t.c_str()));
    p.push_back(nullptr);
    return p;
}

// The descriptor the child writes to, and the one this test reads (-1: none).
std::pair<int, int> sink(Sink s) {
    if (s == Sink::closed) return {not_open, -1};
    if (s == Sink::full) return {::open("/dev/full", O_WRONLY | O_CLOEXEC), -1};
    int p[2];
    if (::pipe2(p, O_CLOEXEC) < 0) throw std::runtime_error("pipe");
    if (s == Sink::pipe) return {p[1], p[0]};
    ::close(p[0]);
    return {p[1], -1};
}

}  // namespace

pid_t spawn(const Spawn& what) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    for (const auto& [fd, target] : {std::pair{what.out, 1}, std::pair{what.err, 2}}) {
        if (fd == not_open)
            posix_spawn_file_actions_addclose(&actions, target);
        else if (fd < 0)
            posix_spawn_file_actions_addopen(&actions, target, "/dev/null", O_WRONLY, 0);
        else
            posix_spawn_file_actions_adddup2(&actions, fd, target);
    }
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t set;
    sigemptyset(&set);
    posix_spawnattr_setsigmask(&attr, &set);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
    posix_spawnattr_setsigdefault(&attr, &set);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<std::string> env = what.env;
    if (const char* path = std::getenv("PATH")) env.push_back(std::string("PATH=") + path);
    pid_t pid = -1;
    const int rc =
        posix_spawn(&pid, what.argv[0].c_str(), &actions, &attr, pointers(what.argv).data(), pointers(env).data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) throw std::runtime_error("could not start " + what.argv[0]);
    return pid;
}

int wait_exit(pid_t pid, rusage* usage) {
    int status = 0;
    while (::wait4(pid, &status, 0, usage) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

RunResult run(std::vector<std::string> argv, const std::vector<std::string>& env, const RunOptions& options) {
    const auto [out, out_reader] = sink(options.out);
    const auto [err, err_reader] = sink(options.err);
    const auto start = Clock::now();
    const pid_t pid = spawn({std::move(argv), env, out, err});
    for (const int fd : {out, err})
        if (fd >= 0) ::close(fd);
    const int exited = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (exited < 0) throw std::runtime_error("pidfd_open");

    // Until both streams end, whoever else still holds them, and the child
    // has exited; or until the limit, when the child is killed and what
    // still comes is read for another second.
    RunResult result;
    pollfd fds[] = {{exited, POLLIN, 0}, {out_reader, POLLIN, 0}, {err_reader, POLLIN, 0}};  // poll skips a -1
    int open = 1 + (out_reader >= 0) + (err_reader >= 0);
    bool killed = false;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(start + options.limit - Clock::now());
        if (left.count() <= 0 && !killed) {
            ::kill(pid, SIGKILL);
            killed = true;
        }
        const int n = ::poll(fds, 3, killed ? 1000 : static_cast<int>(left.count()) + 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (n == 0 && killed)) break;
        for (pollfd& p : fds) {
            if (p.revents == 0) continue;
            std::string* into = p.fd == out_reader ? &result.out : p.fd == err_reader ? &result.err : nullptr;
            char buf[65536];
            const ssize_t got = into != nullptr ? ::read(p.fd, buf, sizeof buf) : 0;  // or the child has exited
            if (got > 0) {
                into->append(buf, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(p.fd);
                p.fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0) ::close(p.fd);
    rusage usage{};
    result.status = wait_exit(pid, &usage);
    if (options.cost) *options.cost = {usage.ru_maxrss, Clock::now() - start};
    return result;
}

RunResult run_ctl(const std::vector<std::string>& args, const std::vector<std::string>& env,
                  const RunOptions& options) {
    std::vector<std::string> argv;
    if (const char* wrapper = std::getenv("TARVOLT_CTL_WRAPPER")) {
        std::istringstream words(wrapper);
        for (std::string word; words >> word;) argv.push_back(word);
    }
    argv.push_back(TARVOLT_CTL_PATH);
    argv.insert(argv.end(), args.begin(), args.end());
    return run(std::move(argv), env, options);
}

std::vector<std::string> pane_env(std::uint16_t port, const std::string& name, const std::string& token) {
    return {"TARVOLT_CTL_PORT=" + std::to_string(port), "TARVOLT_CTL_TOKEN=" + token, "TARVOLT_TERMINAL_NAME=" + name};
}

std::string read_file(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

bool running(pid_t pid) {
    const std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

}  // namespace tvtest
