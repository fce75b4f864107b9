#include "support/run_ctl.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tvtest {
namespace {

std::string read_to_end(int fd) {
    std::string text;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            text.append(buf, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fd);
    return text;
}

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
        if (fd < 0) posix_spawn_file_actions_addopen(&actions, target, "/dev/null", O_WRONLY, 0);
        else posix_spawn_file_actions_adddup2(&actions, fd, target);
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
    int out_pipe[2], err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) < 0 || ::pipe2(err_pipe, O_CLOEXEC) < 0) {
        throw std::runtime_error("pipe");
    }
    if (options.stdout_closed) ::close(out_pipe[0]);
    const pid_t pid = spawn({std::move(argv), env, out_pipe[1], err_pipe[1]});
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);

    // Both streams are read to their end, whoever else still holds them.
    RunResult result;
    std::thread err_reader([&] { result.err = read_to_end(err_pipe[0]); });
    if (!options.stdout_closed) result.out = read_to_end(out_pipe[0]);
    err_reader.join();
    result.status = wait_exit(pid);
    return result;
}

RunResult run_ctl(const std::vector<std::string>& args, const std::vector<std::string>& env,
                  const RunOptions& options) {
    std::vector<std::string> argv = {TARVOLT_CTL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(std::move(argv), env, options);
}

std::vector<std::string> pane_env(std::uint16_t port, const std::string& name, const std::string& token) {
    return {"TARVOLT_CTL_PORT=" + std::to_string(port), "TARVOLT_CTL_TOKEN=" + token,
            "TARVOLT_TERMINAL_NAME=" + name};
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
