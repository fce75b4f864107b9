#include "support/stream_run.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace tvtest {
namespace {

using Clock = std::chrono::steady_clock;

// Sets up `fd` of the child; the reading end to collect from, or -1.
int prepare(posix_spawn_file_actions_t& actions, int fd, Sink sink, std::vector<int>& parent_ends) {
    switch (sink) {
        case Sink::closed:
            posix_spawn_file_actions_addclose(&actions, fd);
            return -1;
        case Sink::full:
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/full", O_WRONLY, 0);
            return -1;
        case Sink::pipe:
        case Sink::reader_gone: {
            int p[2];
            if (::pipe2(p, O_CLOEXEC) < 0) throw std::runtime_error("pipe");
            posix_spawn_file_actions_adddup2(&actions, p[1], fd);
            parent_ends.push_back(p[1]);
            if (sink == Sink::pipe) return p[0];
            ::close(p[0]);
            return -1;
        }
    }
    return -1;
}

}  // namespace

StreamRun run_ctl_into(const std::vector<std::string>& args, const std::vector<std::string>& env, Sink out, Sink err,
                       std::chrono::seconds limit) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<int> write_ends;
    const int out_fd = prepare(actions, 1, out, write_ends);
    const int err_fd = prepare(actions, 2, err, write_ends);

    std::vector<std::string> argv_text = {TARVOLT_CTL_PATH};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_text = env;
    if (const char* path = std::getenv("PATH")) env_text.push_back(std::string("PATH=") + path);
    std::vector<char*> envp;
    for (auto& e : env_text) envp.push_back(e.data());
    envp.push_back(nullptr);

    const auto start = Clock::now();
    pid_t pid;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    for (const int fd : write_ends) ::close(fd);
    if (rc != 0) throw std::runtime_error("could not start tarvolt-ctl");

    StreamRun result;
    std::vector<pollfd> fds;
    for (const int fd : {out_fd, err_fd}) {
        if (fd >= 0) fds.push_back({fd, POLLIN, 0});
    }
    bool killed = false;
    while (!fds.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(start + limit - Clock::now());
        if (left.count() <= 0 && !killed) {
            ::kill(pid, SIGKILL);
            killed = true;
        }
        const int n = ::poll(fds.data(), fds.size(), killed ? 1000 : static_cast<int>(left.count()) + 1);
        if (n < 0 && errno != EINTR) break;
        if (n == 0 && killed) break;  // a grandchild holds the pipe
        for (std::size_t i = 0; i < fds.size();) {
            char buf[65536];
            const ssize_t got = fds[i].revents != 0 ? ::read(fds[i].fd, buf, sizeof buf) : -2;
            if (got > 0) (fds[i].fd == out_fd ? result.out : result.err).append(buf, static_cast<std::size_t>(got));
            if (got == 0 || got == -1) {
                ::close(fds[i].fd);
                fds.erase(fds.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
    }
    for (const auto& p : fds) ::close(p.fd);
    if (!killed) {
        // Ended its streams but still running: give it until the limit.
        for (;;) {
            siginfo_t info{};
            const int rc = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
            if ((rc < 0 && errno != EINTR) || info.si_pid != 0 || Clock::now() >= start + limit) break;
            ::usleep(10'000);
        }
        if (Clock::now() >= start + limit) ::kill(pid, SIGKILL);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.elapsed = Clock::now() - start;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.max_rss_kb = usage.ru_maxrss;
    return result;
}

}  // namespace tvtest
