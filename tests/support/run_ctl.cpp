#include "support/run_ctl.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace tvtest {

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
    if (!options.working_directory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, options.working_directory.c_str());
    }

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

    RunResult result;
    std::vector<pollfd> fds;
    if (!options.stdout_closed) fds.push_back({out_pipe[0], POLLIN, 0});
    fds.push_back({err_pipe[0], POLLIN, 0});
    while (!fds.empty()) {
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) break;
        for (std::size_t i = 0; i < fds.size();) {
            if (fds[i].revents == 0) {
                ++i;
                continue;
            }
            char buf[65536];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (fds[i].fd == err_pipe[0] ? result.err : result.out).append(buf, static_cast<std::size_t>(n));
                ++i;
            } else {
                ::close(fds[i].fd);
                fds.erase(fds.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }
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
