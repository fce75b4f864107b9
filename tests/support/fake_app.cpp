#include "support/fake_app.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <stdexcept>

namespace tvtest {
namespace {

std::size_t content_length(std::string_view head) {
    std::string lower(head);
    for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto at = lower.find("content-length:");
    if (at == std::string::npos) return 0;
    return std::stoul(lower.substr(at + 15));
}

// Reads one request: the head, then content-length bytes of body.
Request read_request(int fd) {
    Request r;
    char buf[65536];
    std::size_t want = std::string::npos;
    while (want == std::string::npos || r.raw.size() < want) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) break;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        r.raw.append(buf, static_cast<std::size_t>(n));
        const auto end = r.raw.find("\r\n\r\n");
        if (want == std::string::npos && end != std::string::npos) {
            want = end + 4 + content_length(std::string_view(r.raw).substr(0, end));
        }
    }
    const auto end = r.raw.find("\r\n\r\n");
    if (end != std::string::npos) r.body = r.raw.substr(end + 4);
    return r;
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

Answer json_answer(std::string_view json_text, int status) {
    Answer a;
    a.bytes = "HTTP/1.1 " + std::to_string(status) +
              " OK\r\ncontent-type: application/json\r\ncontent-length: " + std::to_string(json_text.size()) +
              "\r\nconnection: close\r\n\r\n";
    a.bytes += json_text;
    return a;
}

FakeApp::FakeApp(std::vector<Answer> script)
    : FakeApp([script = std::move(script), next = std::size_t{0}](const Request&) mutable {
          const Answer& a = script.at(std::min(next, script.size() - 1));
          ++next;
          return a;
      }) {}

FakeApp::FakeApp(Handler handler) : handler_(std::move(handler)) {
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (listen_fd_ < 0 || ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
        ::listen(listen_fd_, 64) < 0 || ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len) < 0 ||
        ::pipe2(stop_pipe_, O_CLOEXEC) < 0) {
        throw std::runtime_error("the stand-in app could not listen");
    }
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { serve(); });
}

FakeApp::~FakeApp() {
    stopping_ = true;
    (void)!::write(stop_pipe_[1], "x", 1);
    acceptor_.join();
    ::close(listen_fd_);
    ::close(stop_pipe_[0]);
    ::close(stop_pipe_[1]);
}

std::vector<Request> FakeApp::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void FakeApp::serve() {
    for (;;) {
        pollfd p[2] = {{listen_fd_, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0 && errno != EINTR) return;
        if (p[1].revents) return;
        if (!(p[0].revents & POLLIN)) continue;
        const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        handle(fd);  // the client sends one request at a time
    }
}

// Stays silent until the stand-in stops or the client hangs up.
static void hold_until_done(int stop_fd, int client_fd) {
    pollfd p[2] = {{stop_fd, POLLIN, 0}, {client_fd, POLLIN, 0}};
    ::poll(p, 2, -1);
}

void FakeApp::handle(int fd) {
    Request request = read_request(fd);
    Answer answer;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        answer = handler_(request);
    }
    if (answer.drip.count() == 0) {
        write_all(fd, answer.bytes);
    } else {
        for (std::size_t i = 0; i < answer.bytes.size(); ++i) {
            pollfd p{stop_pipe_[0], POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(answer.drip.count())) != 0 ||
                !write_all(fd, std::string_view(answer.bytes).substr(i, 1)))
                break;
        }
    }
    if (answer.hold_open) hold_until_done(stop_pipe_[0], fd);
    if (answer.reset) {
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
    ::close(fd);
}

}  // namespace tvtest
