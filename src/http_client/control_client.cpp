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
#include <optional>

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

// Once the head is in, room for the whole body it announces, so a big reply
// is not copied again and again as it grows. True when the head was seen.
bool reserve_for_body(std::string& received) {
    const std::size_t head_end = received.find("\r\n\r\n");
    if (head_end == std::string::npos) return false;
    const std::optional<std::uint64_t> length = announced_length(std::string_view(received).substr(0, head_end));
    // A length beyond any real reply is not taken at its word.
    constexpr std::uint64_t most = std::uint64_t{1} << 31;
    if (length && *length <= most) {
        try {
            received.reserve(head_end + 4 + static_cast<std::size_t>(*length) + reply_padding);
        } catch (const std::exception&) {
            // Growing as it comes works as well, only slower.
        }
    }
    return true;
}

int receive_all(int fd, std::string& out) {
    char buf[256 * 1024];
    bool sized = false;
    for (;;) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        out.append(buf, static_cast<std::size_t>(n));
        if (!sized) sized = reserve_for_body(out);
    }
}

// 0, or the error number of the first step that failed.
int exchange(const CallerEnv& env, std::string_view body, std::string& response) {
    const OwnedFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int fd = socket.get();
    if (fd < 0) return errno;
    if (const int err = connect_socket(fd, env.port)) return err;
    // Head and body in one send, so they leave in one segment.
    std::string request = request_head(env.port, body.size(), env.token);
    request += body;
    if (const int err = send_all(fd, request)) return err;
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

ControlReply read_reply(std::string response) {
    std::string storage;
    const std::string_view text = decoded_body(response, storage);
    JsonTreeParse parsed;
    if (!is_valid_utf8(text)) {
        std::string repaired = utf8_lossy(text);
        const std::size_t size = repaired.size();
        parsed = parse_reply(std::move(repaired), 0, size);
    } else if (!storage.empty()) {
        const std::size_t size = storage.size();
        parsed = parse_reply(std::move(storage), 0, size);
    } else {
        // The body is a part of the response: read it where it is.
        const std::size_t offset = text.empty() ? 0 : static_cast<std::size_t>(text.data() - response.data());
        const std::size_t size = text.size();
        parsed = parse_reply(std::move(response), offset, size);
    }
    if (!parsed.value) return {std::nullopt, "invalid response from the tarvolt: " + parsed.error};
    return {std::move(parsed.value), ""};
}

ControlReply send_control_request(const CallerEnv& env, std::string_view body) {
    std::string response;
    if (const int err = exchange(env, body, response)) {
        return {std::nullopt,
                "could not talk to the tarvolt on port " + env.port_text + ": " + transport_error_text(err, env.port)};
    }
    return read_reply(std::move(response));
}

}  // namespace tv
