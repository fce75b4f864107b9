// Starts the built tarvolt-devapp on a free port in a fresh folder, reads
// its export lines, talks to it directly, and stops it with a signal.
#pragma once

#include "http_client/control_client.h"
#include "support/reply_tree.h"
#include "support/run_ctl.h"
#include "values/json.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace devapptest {

class Devapp {
public:
    explicit Devapp(std::vector<std::string> extra = {}) {
        char pattern[] = "/tmp/devapp-test-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp");
        folder = std::filesystem::canonical(pattern).string();
        std::vector<std::string> argv = {TARVOLT_DEVAPP_PATH, "--dir", folder, "--quiet"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        int out[2];
        if (::pipe2(out, O_CLOEXEC) < 0) throw std::runtime_error("pipe");
        pid_ = tvtest::spawn({argv, {}, out[1]});
        ::close(out[1]);

        // The three export lines come first; the app serves from then on.
        while (std::count(exports.begin(), exports.end(), '\n') < 3) {
            pollfd p{out[0], POLLIN, 0};
            char buf[512];
            const ssize_t n = ::poll(&p, 1, 10000) > 0 ? ::read(out[0], buf, sizeof buf) : 0;
            if (n <= 0) break;
            exports.append(buf, static_cast<std::size_t>(n));
        }
        ::close(out[0]);
        port = static_cast<std::uint16_t>(std::stoi(value_of("TARVOLT_CTL_PORT")));
        token = value_of("TARVOLT_CTL_TOKEN");
    }

    ~Devapp() {
        if (pid_ > 0) stop(SIGTERM);
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    Devapp(const Devapp&) = delete;
    Devapp& operator=(const Devapp&) = delete;

    // Sends the signal and returns the exit status (128 + signal when killed by it).
    int stop(int sig) {
        ::kill(pid_, sig);
        const int status = tvtest::wait_exit(pid_);
        pid_ = -1;
        return status;
    }

    // The client run from the pane `as` (the orchestrator when empty).
    tvtest::RunResult ctl(const std::vector<std::string>& args, const std::string& as = "") const {
        return tvtest::run_ctl(args, tvtest::pane_env(port, as.empty() ? "orchestrator" : as, token));
    }

    // One request straight to the endpoint, as the client's own transport sends it.
    tv::Json post_text(const std::string& body, const std::optional<std::string>& with_token = std::nullopt) const {
        const tv::CallerEnv e{std::to_string(port), with_token.value_or(token), "orchestrator", port};
        const tv::ControlReply reply = tv::send_control_request(e, body);
        if (!reply.body) throw std::runtime_error(reply.error);
        return tvtest::json_of(*reply.body);
    }
    // The command with these members, from the pane `from`.
    tv::Json ask(const std::string& command, const tv::Json& members = tv::Json::object(),
                 const std::string& from = "orchestrator") const {
        tv::Json body = {{"command", command}, {"from", from}};
        body.update(members);
        return post_text(tv::to_compact_text(body));
    }

    // A connected socket, or -1.
    int connect_raw() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
        ::close(fd);
        return -1;
    }

    // Raw bytes in, raw bytes out, for requests the client would never send.
    std::string exchange(const std::string& request) const {
        const int fd = connect_raw();
        std::string response;
        if (fd >= 0) {
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
            char buf[4096];
            ssize_t n;
            while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) response.append(buf, static_cast<std::size_t>(n));
            ::close(fd);
        }
        return response;
    }

    pid_t pid() const { return pid_; }

    std::string folder;
    std::string exports;
    std::uint16_t port = 0;
    std::string token;

private:
    std::string value_of(const std::string& variable) const {
        const std::string key = "export " + variable + "=";
        const auto at = exports.find(key);
        if (at == std::string::npos) throw std::runtime_error("no " + variable + " in: " + exports);
        const auto end = exports.find('\n', at);
        return exports.substr(at + key.size(), end - at - key.size());
    }

    pid_t pid_ = -1;
};

}  // namespace devapptest
