#include "support/run_ctl.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <tuple>

namespace tvtest {
namespace {

std::vector<char*> pointers(std::vector<std::string>& text) {
    std::vector<char*> p;
    for (auto& t : text) p.push_back(t.data());
    p.push_back(nullptr);
    return p;
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
    if (what.default_signals) {
        sigset_t set;
        sigemptyset(&set);
        posix_spawnattr_setsigmask(&attr, &set);
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
        posix_spawnattr_setsigdefault(&attr, &set);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    std::vector<std::string> argv = what.argv;
    std::vector<std::string> env = what.env;
    if (const char* path = std::getenv("PATH")) env.push_back(std::string("PATH=") + path);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, &attr, pointers(argv).data(), pointers(env).data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) throw std::runtime_error("could not start " + argv[0]);
    return pid;
}

int wait_exit(pid_t pid, rusage* usage) {
    int status = 0;
    while (::wait4(pid, &status, 0, usage) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

RunResult run(std::vector<std::string> argv, const std::vector<std::string>& env, const RunOptions& options) {
    using Clock = std::chrono::steady_clock;
    Spawn what{std::move(argv), env};
    int readers[2] = {-1, -1};
    std::vector<int> write_ends;
    for (const auto& [sink, fd, reader] :
         {std::tuple{options.out, &what.out, &readers[0]}, std::tuple{options.err, &what.err, &readers[1]}}) {
        int p[2] = {not_open, -1};
        if (sink == Sink::full) p[1] = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        if ((sink == Sink::pipe || sink == Sink::reader_gone) && ::pipe2(p, O_CLOEXEC) < 0) {
            throw std::runtime_error("pipe");
        }
        if (sink == Sink::reader_gone) ::close(p[0]);
        if (sink == Sink::pipe) *reader = p[0];
        *fd = sink == Sink::closed ? not_open : p[1];
        if (p[1] >= 0) write_ends.push_back(p[1]);
    }
    const auto start = Clock::now();
    const pid_t pid = spawn(what);
    for (const int fd : write_ends) ::close(fd);

    // Both streams are read to their end, whoever else still holds them,
    // unless the run outlives its limit.
    RunResult result;
    std::vector<pollfd> fds;
    for (const int fd : readers) {
        if (fd >= 0) fds.push_back({fd, POLLIN, 0});
    }
    bool killed = false;
    while (!fds.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(start + options.limit - Clock::now());
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
            if (got > 0) (fds[i].fd == readers[0] ? result.out : result.err).append(buf, static_cast<std::size_t>(got));
            if (got == 0 || (got == -1 && errno != EINTR)) {
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
            if ((rc < 0 && errno != EINTR) || info.si_pid != 0 || Clock::now() >= start + options.limit) break;
            ::usleep(10'000);
        }
        if (Clock::now() >= start + options.limit) ::kill(pid, SIGKILL);
    }
    rusage usage{};
    result.status = wait_exit(pid, &usage);
    if (options.cost) *options.cost = {usage.ru_maxrss, Clock::now() - start};
    return result;
}

RunResult run_ctl(const std::vector<std::string>& args, const std::vector<std::string>& env,
                  const RunOptions& options) {
    // The words of TARVOLT_CTL_WRAPPER (a memcheck run, say) go before the client.
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
