#include "support/run_ctl.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
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

}  // namespace

RunResult run_ctl(const std::vector<std::string>& args, const std::vector<std::string>& env,
                  const RunOptions& options) {
    int out_pipe[2], err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) < 0 || ::pipe2(err_pipe, O_CLOEXEC) < 0) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);

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

    if (options.stdout_closed) ::close(out_pipe[0]);
    pid_t pid;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (rc != 0) throw std::runtime_error("could not start tarvolt-ctl");

    // Both streams are read to their end, whoever else still holds them.
    RunResult result;
    std::thread err_reader([&] { result.err = read_to_end(err_pipe[0]); });
    if (!options.stdout_closed) result.out = read_to_end(out_pipe[0]);
    err_reader.join();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

std::vector<std::string> pane_env(std::uint16_t port, const std::string& name, const std::string& token) {
    return {"TARVOLT_CTL_PORT=" + std::to_string(port), "TARVOLT_CTL_TOKEN=" + token,
            "TARVOLT_TERMINAL_NAME=" + name};
}

}  // namespace tvtest
