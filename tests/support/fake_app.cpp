#include "support/fake_app.h"

#include "support/outcome.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace tvtest {
namespace {

// Reads one request: the head, then as many bytes of body as the client's
// content-length says.
Request read_request(int fd) {
    Request r;
    std::size_t body = std::string::npos;
    std::size_t want = std::string::npos;
    while (r.raw.size() < want) {
        char buf[65536];
        pollfd p{fd, POLLIN, 0};
        const ssize_t n = ::poll(&p, 1, 5000) > 0 ? ::recv(fd, buf, sizeof buf, 0) : 0;
        if (n <= 0) break;
        r.raw.append(buf, static_cast<std::size_t>(n));
        const auto end = body == std::string::npos ? r.raw.find("\r\n\r\n") : std::string::npos;
        if (end == std::string::npos) continue;
        body = end + 4;
        const auto length = r.raw.find("content-length: ");
        want = body + (length < end ? std::stoul(r.raw.substr(length + 16)) : 0);
    }
    if (body != std::string::npos) r.body = r.raw.substr(body);
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
    return {"HTTP/1.1 " + std::to_string(status) + " OK\r\ncontent-type: application/json\r\ncontent-length: " +
            std::to_string(json_text.size()) + "\r\nconnection: close\r\n\r\n" + std::string(json_text)};
}

std::string tool_plan(const std::string& path, const std::string& command_line) {
    tv::Json attempt = parse_or_fail(
        R"({"kind":"command","timeoutMs":20000,"imageCliId":"codex-image","toolName":"Codex","model":"m"})");
    attempt["commandLine"] = command_line;
    return tv::to_compact_text({{"ok", true}, {"outputPath", path}, {"attempts", tv::Json::array({attempt})}});
}

std::string phase_of(const Request& request) {
    const auto parsed = tv::parse_json(request.body);
    return parsed.value && parsed.value->is_object() ? parsed.value->value("phase", "") : "";
}

Handler plan_then(std::string plan, std::function<std::string(const tv::Json& body)> later) {
    return [plan = std::move(plan), later = std::move(later)](const Request& request) {
        const std::string answer = phase_of(request) == "plan" ? plan : later ? later(parse_or_fail(request.body)) : "";
        return json_answer(answer.empty() ? R"({"ok":true})" : answer);
    };
}

FakeApp::FakeApp(std::vector<Answer> script)
    : FakeApp([script = std::move(script), next = std::size_t{0}](const Request&) mutable {
          return script.at(std::min(next++, script.size() - 1));
      }) {}

FakeApp::FakeApp(Handler handler) : handler_(std::move(handler)) {
    listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    socklen_t len = sizeof addr;
    if (listen_fd_ < 0 || ::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
        ::listen(listen_fd_, 64) < 0 || ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len) < 0) {
        throw std::runtime_error("the stand-in app could not listen");
    }
    port_ = ntohs(addr.sin_port);
    // One connection at a time, as the client sends one request at a time,
    // until the destructor shuts the listening socket.
    acceptor_ = std::thread([this] {
        for (int fd; (fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0 || errno == EINTR;)
            if (fd >= 0) handle(fd);
    });
}

FakeApp::~FakeApp() {
    ::shutdown(listen_fd_, SHUT_RDWR);
    acceptor_.join();
    ::close(listen_fd_);
}

std::vector<Request> FakeApp::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void FakeApp::handle(int fd) {
    Request request = read_request(fd);
    Answer answer;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        answer = handler_(request);
    }
    const std::size_t step = answer.drip.count() > 0 ? 1 : answer.bytes.size();
    for (std::size_t i = 0; i < answer.bytes.size(); i += step) {
        std::this_thread::sleep_for(answer.drip);
        if (!write_all(fd, std::string_view(answer.bytes).substr(i, step))) break;
    }
    if (answer.hold_open) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, -1);
    }
    if (answer.reset) {
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
    ::close(fd);
}

}  // namespace tvtest
