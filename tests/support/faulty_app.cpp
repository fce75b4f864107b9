#include "support/faulty_app.h"

#include "support/fake_app.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <stdexcept>

namespace tvtest {
namespace {

// The body of the one request on `fd`; the client always sends a content-length.
std::string read_body(int fd) {
    std::string raw;
    std::size_t want = std::string::npos;
    char buf[65536];
    while (want == std::string::npos || raw.size() < want) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) break;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        raw.append(buf, static_cast<std::size_t>(n));
        const auto end = raw.find("\r\n\r\n");
        if (want == std::string::npos && end != std::string::npos) {
            const auto at = raw.find("content-length: ");
            want = end + 4 + (at < end ? std::stoul(raw.substr(at + 16)) : 0);
        }
    }
    const auto end = raw.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : raw.substr(end + 4);
}

bool send_bytes(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

Wire json_wire(const std::string& json_text) { return Wire{json_answer(json_text).bytes}; }

FaultyApp::FaultyApp(Handler handler) : handler_(std::move(handler)) {
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listen_fd_ < 0 || ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
        ::listen(listen_fd_, 16) < 0 || ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len) < 0 ||
        ::pipe2(stop_pipe_, O_CLOEXEC) < 0) {
        throw std::runtime_error("the faulty app could not listen");
    }
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { serve(); });
}

FaultyApp::~FaultyApp() {
    (void)!::write(stop_pipe_[1], "x", 1);
    acceptor_.join();
    ::close(listen_fd_);
    ::close(stop_pipe_[0]);
    ::close(stop_pipe_[1]);
}

std::vector<std::string> FaultyApp::bodies() const {
    std::lock_guard lock(mutex_);
    return bodies_;
}

void FaultyApp::serve() {
    for (;;) {
        pollfd p[2] = {{listen_fd_, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0 && errno != EINTR) return;
        if (p[1].revents) return;
        if (!(p[0].revents & POLLIN)) continue;
        const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) handle(fd);
    }
}

void FaultyApp::handle(int fd) {
    const std::string body = read_body(fd);
    Wire wire;
    {
        std::lock_guard lock(mutex_);
        bodies_.push_back(body);
        wire = handler_(body);
    }
    if (wire.drip.count() == 0) {
        send_bytes(fd, wire.bytes.data(), wire.bytes.size());
    } else {
        for (const char& c : wire.bytes) {
            pollfd p{stop_pipe_[0], POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(wire.drip.count())) != 0 || !send_bytes(fd, &c, 1)) break;
        }
    }
    if (wire.reset) {
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
    ::close(fd);
}

}  // namespace tvtest
