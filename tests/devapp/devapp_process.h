// Starts the built tarvolt-devapp on a free port in a fresh folder, reads
// its export lines, talks to it directly, and stops it with a signal.
#pragma once

#include "http_client/control_client.h"
#include "support/reply_tree.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace devapptest {

class Devapp {
public:
    explicit Devapp(std::vector<std::string> extra = {}) {
        folder = std::filesystem::canonical(scratch_.path()).string();
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
        std::smatch m;
        const std::regex lines("export TARVOLT_CTL_PORT=([0-9]+)\nexport TARVOLT_CTL_TOKEN=([0-9a-f]+)\n");
        if (!std::regex_search(exports, m, lines)) throw std::runtime_error("no export lines in: " + exports);
        port = static_cast<std::uint16_t>(std::stoi(m[1]));
        token = m[2];
    }

    ~Devapp() {
        if (pid_ > 0) stop(SIGTERM);
    }

    // Sends the signal and returns the exit status (128 + signal when killed by it).
    int stop(int sig) {
        ::kill(pid_, sig);
        return tvtest::wait_exit(std::exchange(pid_, -1));
    }

    // One request straight to the endpoint, as the client's own transport sends it.
    tv::Json post_text(const std::string& body, const std::optional<std::string>& with_token = std::nullopt) const {
        const tv::CallerEnv e{std::to_string(port), with_token.value_or(token), "orchestrator", port};
        const tv::ControlReply reply = tv::send_control_request(e, body);
        if (!reply.body) throw std::runtime_error(reply.error);
        return tvtest::json_of(*reply.body);
    }
    tv::Json ask(const std::string& command, const tv::Json& members = tv::Json::object(),
                 const std::string& from = "orchestrator") const {
        tv::Json body = {{"command", command}, {"from", from}};
        body.update(members);
        return post_text(tv::to_compact_text(body));
    }

    // The text with this app's folder as {folder}, moments as <t>, and a
    // pending member that owns up to nothing as "U/R": unread reports /
    // running tasks.
    std::string normalized(const std::string& text) const {
        static const std::regex moment("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
        static const std::regex pending(R"(\{"unreadReports":([0-9]+),"runningTasks":([0-9]+),"degraded":false\})");
        const std::string local = std::regex_replace(tvtest::replaced(text, folder, "{folder}"), moment, "<t>");
        return std::regex_replace(local, pending, "\"$1/$2\"");
    }
    // Each line "<request> => <whole reply>" sent in turn, {folder} in the
    // request filled in, the reply compared normalized; "#" starts a comment.
    void replies(const std::string& transcript) const {
        std::istringstream lines(transcript);
        for (std::string line; std::getline(lines, line);) {
            if (line.empty() || line[0] == '#') continue;
            const auto arrow = line.find(" => ");
            ASSERT_NE(arrow, std::string::npos) << line;
            const tv::Json reply = post_text(tvtest::replaced(line.substr(0, arrow), "{folder}", folder));
            EXPECT_EQ(normalized(tv::to_compact_text(reply)), line.substr(arrow + 4)) << line.substr(0, arrow);
        }
    }

    // A connected socket, or -1.
    int connect_raw() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{
            .sin_family = AF_INET, .sin_port = htons(port), .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return fd;
        ::close(fd);
        return -1;
    }

    // Raw bytes in, "HTTP/1.1 <code> <body>" out, for requests the client would
    // never send: the head, then the piece again and again (at most `limit`
    // bytes of it, counted in `sent`) until the app answers.
    std::string exchange(const std::string& head, const std::string& piece = "", std::size_t limit = 0,
                         std::size_t* sent = nullptr) const {
        const int fd = connect_raw();
        if (fd < 0) return "";
        ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
        std::size_t out = 0;
        std::string answer;
        for (;;) {
            pollfd p{fd, static_cast<short>(POLLIN | (out < limit ? POLLOUT : 0)), 0};
            if (::poll(&p, 1, 10000) <= 0) break;
            if ((p.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                char buf[4096];
                const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                answer.append(buf, static_cast<std::size_t>(n));
                limit = 0;
                continue;
            }
            const std::size_t at = out % piece.size();
            const ssize_t n = ::send(fd, piece.data() + at, piece.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) out += static_cast<std::size_t>(n);
        }
        ::close(fd);
        if (sent != nullptr) *sent = out;
        const std::size_t body = answer.find("\r\n\r\n");
        return body == std::string::npos ? answer : answer.substr(0, 13) + answer.substr(body + 4);
    }

    pid_t pid() const { return pid_; }

    std::string folder;
    std::string exports;
    std::uint16_t port = 0;
    std::string token;

private:
    inline static int made_ = 0;
    tvtest::ScratchDir scratch_{"devapp-" + std::to_string(++made_)};
    pid_t pid_ = -1;
};

}  // namespace devapptest
