#include "child_run.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace devapp {
namespace {

int exit_status(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw); }

bool unset_here(const char* entry, const std::vector<std::string>& unset) {
    for (const auto& name : unset) {
        if (std::strncmp(entry, name.c_str(), name.size()) == 0 && entry[name.size()] == '=') return true;
    }
    return false;
}

// Everything the child needs is built before the fork: between fork and exec
// it only calls what is safe in a copy of a threaded process.
[[noreturn]] void become(const std::vector<char*>& args, const std::vector<char*>& env, int out, int err) {
    const int null_fd = ::open("/dev/null", O_RDONLY);
    if (null_fd >= 0) ::dup2(null_fd, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::close_range(3, ~0U, 0);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(args[0], args.data(), env.data());
    ::_exit(127);
}

}  // namespace

ChildResult run_child(const std::vector<std::string>& argv, const std::vector<std::string>& unset,
                      std::chrono::milliseconds limit) {
    ChildResult result;
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (!unset_here(*e, unset)) env.push_back(*e);
    }
    env.push_back(nullptr);

    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) < 0) return result;
    if (::pipe2(err, O_CLOEXEC) < 0) {
        ::close(out[0]), ::close(out[1]);
        return result;
    }
    const pid_t pid = ::fork();
    if (pid == 0) become(args, env, out[1], err[1]);
    ::close(out[1]), ::close(err[1]);
    if (pid < 0) {
        ::close(out[0]), ::close(err[0]);
        return result;
    }

    // Reads until the child exits and its pipes are drained, or the time is up.
    // A daemon it leaves behind may hold the pipes, so the exit ends the wait.
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int raw = 0;
    bool exited = false;
    while (!exited) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (fds[0].fd >= 0 || fds[1].fd >= 0)
            ::poll(fds, 2, static_cast<int>(std::min<long>(left.count(), 20)));
        else
            ::usleep(2000);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
            }
        }
        exited = ::waitpid(pid, &raw, WNOHANG) == pid;
    }
    if (exited) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0) continue;
            ::fcntl(fds[i].fd, F_SETFL, O_NONBLOCK);
            char buf[4096];
            ssize_t n;
            while ((n = ::read(fds[i].fd, buf, sizeof buf)) > 0) sinks[i]->append(buf, static_cast<std::size_t>(n));
        }
        result.status = exit_status(raw);
    } else {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &raw, 0);
        result.timed_out = true;
    }
    ::close(out[0]), ::close(err[0]);
    return result;
}

std::string find_on_path(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir.front() == '/') {
            const std::string candidate = dir + "/" + program;
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return "";
}

}  // namespace devapp
