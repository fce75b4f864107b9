#include "http_client/control_client.h"

#include "base/fail.h"
#include "base/output.h"
#include "base/owned_fd.h"
#include "base/utf8.h"
#include "http_client/http_response.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <cerrno>
#include <chrono>

namespace tv {
namespace {

constexpr int limit_seconds = 10;

// Waits for the non-blocking connect to finish; 0 or an error number.
int finish_connect(int fd) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::seconds(limit_seconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        if (left.count() <= 0) return ETIMEDOUT;
        pollfd p{fd, POLLOUT, 0};
        const int n = ::poll(&p, 1, static_cast<int>(left.count()) + 1);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) continue;
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0) return errno;
        if (err != 0) return err;
        if (p.revents & (POLLERR | POLLHUP)) return ECONNRESET;
        return 0;
    }
}

int connect_socket(int fd, std::uint16_t port) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return errno;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) < 0) {
        if (errno != EINPROGRESS && errno != EINTR) return errno;
        if (const int err = finish_connect(fd)) return err;
    }
    if (::fcntl(fd, F_SETFL, flags) < 0) return errno;
    const timeval limit{limit_seconds, 0};
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) < 0) return errno;
    if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) < 0) return errno;
    return 0;
}

// A send rather than a write: a peer that went away must not raise SIGPIPE
// in a process (a test, say) that does not ignore it.
int send_all(int fd, std::string_view bytes) {
    return put_all(bytes, [fd](const char* data, std::size_t size) { return ::send(fd, data, size, MSG_NOSIGNAL); });
}

int receive_all(int fd, std::string& out) {
    char buf[256 * 1024];
    for (;;) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

// 0, or the error number of the first step that failed.
int exchange(const CallerEnv& env, std::string_view body, std::string& response) {
    const OwnedFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int fd = socket.get();
    if (fd < 0) return errno;
    if (const int err = connect_socket(fd, env.port)) return err;
    if (const int err = send_all(fd, request_head(env.port, body.size(), env.token))) return err;
    if (const int err = send_all(fd, body)) return err;
    return receive_all(fd, response);
}

}  // namespace

std::string request_head(std::uint16_t port, std::size_t body_length, std::string_view token) {
    std::string head =
        "POST /control HTTP/1.1\r\nhost: 127.0.0.1:" + std::to_string(port) +
        "\r\nconnection: close\r\ncontent-type: application/json\r\ncontent-length: " + std::to_string(body_length) +
        "\r\nx-tarvolt-token: ";
    head += token;
    head += "\r\n\r\n";
    return head;
}

std::string transport_error_text(int error_number, std::uint16_t port) {
    if (error_number == ECONNREFUSED) return "connect ECONNREFUSED 127.0.0.1:" + std::to_string(port);
    if (error_number == ETIMEDOUT || error_number == EAGAIN || error_number == EWOULDBLOCK) {
        return "timed out talking to the tarvolt";
    }
    return os_error_text(error_number);
}

ControlReply read_reply(std::string_view response) {
    std::string storage;
    std::string_view text = decoded_body(response, storage);
    std::string repaired;
    if (!is_valid_utf8(text)) {
        repaired = utf8_lossy(text);
        text = repaired;
    }
    JsonParse parsed = parse_json(text);
    if (!parsed.value) return {std::nullopt, "invalid response from the tarvolt: " + parsed.error};
    return {std::move(parsed.value), ""};
}

ControlReply send_control_request(const CallerEnv& env, std::string_view body) {
    std::string response;
    if (const int err = exchange(env, body, response)) {
        return {std::nullopt,
                "could not talk to the tarvolt on port " + env.port_text + ": " + transport_error_text(err, env.port)};
    }
    return read_reply(response);
}

}  // namespace tv
