#include "guarded_server.h"

#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace devapp {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until the socket is ready for `events` (an error or hang-up counts:
// the next call reports it); false when the deadline passed first.
bool ready_before(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::clamp<long long>(left, 0, INT_MAX)));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

void address_of(int fd, bool peer, std::string& ip, int& port) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    auto* a = reinterpret_cast<sockaddr*>(&addr);
    if ((peer ? ::getpeername(fd, a, &len) : ::getsockname(fd, a, &len)) != 0) return;
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (::getnameinfo(a, len, host, sizeof host, service, sizeof service, NI_NUMERICHOST | NI_NUMERICSERV) != 0) return;
    ip = host;
    port = std::atoi(service);
}

// The whole request must arrive before one deadline, so a peer dripping a
// byte now and then cannot hold a worker; each write of the answer gets its own.
class DeadlineStream final : public httplib::Stream {
public:
    DeadlineStream(int fd, Clock::time_point read_deadline, std::chrono::milliseconds write_limit)
        : fd_(fd), read_deadline_(read_deadline), write_limit_(write_limit) {}

    bool is_readable() const override { return begin_ < end_ || ready_before(fd_, POLLIN, read_deadline_); }
    bool is_writable() const override { return ready_before(fd_, POLLOUT, Clock::now() + write_limit_); }

    ssize_t read(char* ptr, size_t size) override {
        // The library reads the head a byte at a time; a buffer saves the calls.
        if (begin_ == end_ && size >= sizeof buffer_) return receive(ptr, size);
        if (begin_ == end_) {
            const ssize_t n = receive(buffer_, sizeof buffer_);
            if (n <= 0) return n;
            begin_ = 0;
            end_ = static_cast<std::size_t>(n);
        }
        const std::size_t n = std::min(size, end_ - begin_);
        std::memcpy(ptr, buffer_ + begin_, n);
        begin_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        const auto deadline = Clock::now() + write_limit_;
        for (;;) {
            if (!ready_before(fd_, POLLOUT, deadline)) return -1;
            const ssize_t n = ::send(fd_, ptr, size, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n >= 0 || (errno != EAGAIN && errno != EINTR)) return n;
        }
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { address_of(fd_, true, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { address_of(fd_, false, ip, port); }
    socket_t socket() const override { return fd_; }

private:
    ssize_t receive(char* into, std::size_t size) {
        for (;;) {
            if (!ready_before(fd_, POLLIN, read_deadline_)) return -1;
            const ssize_t n = ::recv(fd_, into, size, MSG_DONTWAIT);
            if (n >= 0 || (errno != EAGAIN && errno != EINTR)) return n;
        }
    }

    int fd_;
    Clock::time_point read_deadline_;
    std::chrono::milliseconds write_limit_;
    char buffer_[4096];
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

// The library's accept loop hands each connection straight to the guard,
// which never blocks.
class InlineQueue final : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> fn) override { fn(); }
    void shutdown() override {}
};

struct Silent {
    int fd;
    Clock::time_point since;
};

}  // namespace

struct GuardedServer::Guard {
    ConnectionLimits limits;
    std::function<void(httplib::Stream&)> answer;

    std::mutex mutex;
    std::condition_variable work;
    std::deque<Silent> silent;  // oldest first; only the watcher removes any
    std::deque<int> ready;      // the request has begun
    std::size_t serving = 0;
    bool running = false;
    int wake = -1;
    std::thread watcher;
    std::vector<std::thread> workers;

    void poke() const {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
    }

    void start() {
        wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake < 0) throw std::runtime_error(std::string("no eventfd for the server: ") + std::strerror(errno));
        running = true;
        watcher = std::thread([this] { watch(); });
        for (std::size_t i = 0; i < limits.workers; ++i) workers.emplace_back([this] { serve_ready(); });
    }

    void stop() {
        if (wake < 0) return;
        {
            const std::lock_guard<std::mutex> hold(mutex);
            running = false;
        }
        poke();
        work.notify_all();
        if (watcher.joinable()) watcher.join();
        for (auto& w : workers) w.join();
        workers.clear();
        // What the watcher moved on its way out found no worker left.
        for (const Silent& s : silent) ::close(s.fd);
        for (const int fd : ready) ::close(fd);
        silent.clear();
        ready.clear();
        if (wake >= 0) ::close(wake);
        wake = -1;
    }

    void admit(int fd) {
        {
            const std::lock_guard<std::mutex> hold(mutex);
            // With every held connection already talking, the newcomer is the one turned away.
            if (!running || (silent.empty() && ready.size() + serving >= limits.connections)) {
                ::close(fd);
                return;
            }
            silent.push_back({fd, Clock::now()});
        }
        poke();
    }

    // The waiting room: one thread polls every silent connection, moves those
    // that begin a request to the workers, and closes those silent too long
    // or beyond the limit.
    void watch() {
        std::vector<pollfd> fds;
        std::unique_lock<std::mutex> hold(mutex);
        while (running) {
            const auto now = Clock::now();
            while (!silent.empty() && (silent.front().since + limits.silence <= now ||
                                       silent.size() + ready.size() + serving > limits.connections)) {
                ::close(silent.front().fd);
                silent.pop_front();
            }
            fds.assign(1, pollfd{wake, POLLIN, 0});
            for (const Silent& s : silent) fds.push_back({s.fd, POLLIN, 0});
            const int timeout = silent.empty() ? -1
                                               : static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(
                                                                      silent.front().since + limits.silence - now)
                                                                      .count());
            hold.unlock();
            const int n = ::poll(fds.data(), fds.size(), timeout);
            hold.lock();
            if (n <= 0) continue;
            if ((fds[0].revents & POLLIN) != 0) {
                std::uint64_t pokes = 0;
                [[maybe_unused]] const ssize_t r = ::read(wake, &pokes, sizeof pokes);
            }
            // Entries are only appended meanwhile, so the first ones still match.
            std::size_t kept = 0;
            for (std::size_t i = 0; i < silent.size(); ++i) {
                const bool begun = i + 1 < fds.size() && fds[i + 1].revents != 0;
                if (begun) {
                    ready.push_back(silent[i].fd);
                } else {
                    silent[kept++] = silent[i];
                }
            }
            silent.resize(kept);
            if (!ready.empty()) work.notify_all();
        }
    }

    void serve_ready() {
        std::unique_lock<std::mutex> hold(mutex);
        for (;;) {
            work.wait(hold, [this] { return !ready.empty() || !running; });
            if (ready.empty()) return;
            const int fd = ready.front();
            ready.pop_front();
            ++serving;
            hold.unlock();
            serve_one(fd);
            hold.lock();
            --serving;
        }
    }

    void serve_one(int fd) {
        DeadlineStream stream(fd, Clock::now() + limits.request, limits.write);
        try {
            answer(stream);
        } catch (...) {
            // The library answers a failing handler itself; anything else ends
            // this connection only.
        }
        // The peer gets the end of the answer now; what it still sends is
        // drained for a moment, so closing does not reset the connection
        // before the answer is read.
        ::shutdown(fd, SHUT_WR);
        const auto until = Clock::now() + limits.linger;
        char sink[4096];
        while (ready_before(fd, POLLIN, until)) {
            const ssize_t n = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
        }
        ::close(fd);
    }
};

GuardedServer::GuardedServer(ConnectionLimits limits) : guard_(std::make_unique<Guard>()) {
    guard_->limits = limits;
    guard_->answer = [this](httplib::Stream& stream) {
        bool closed = false;
        process_request(stream, true, closed, nullptr);
    };
    new_task_queue = [] { return new InlineQueue; };
}

GuardedServer::~GuardedServer() { guard_->stop(); }

bool GuardedServer::serve() {
    // The library listens with a backlog of 5: a burst of clients, while the
    // accept loop waits for a turn on a busy machine, would lose connection
    // attempts and wait a second each for the retry.
    ::listen(svr_sock_, SOMAXCONN);
    guard_->start();
    const bool listened = listen_after_bind();
    guard_->stop();
    return listened;
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
    guard_->admit(sock);
    return true;
}

}  // namespace devapp
