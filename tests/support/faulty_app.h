// A stand-in app that misbehaves on the wire: it reads each request whole,
// then writes its answer slowly or breaks the connection with a reset.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tvtest {

struct Wire {
    std::string bytes;
    std::chrono::milliseconds drip{0};  // pause before each byte; 0 writes them at once
    bool reset = false;                 // end with a reset (RST) instead of a close
};

// The bytes of json_answer(json_text).
Wire json_wire(const std::string& json_text);

class FaultyApp {
public:
    // Called with each request body.
    using Handler = std::function<Wire(const std::string& body)>;
    explicit FaultyApp(Handler handler);
    ~FaultyApp();
    FaultyApp(const FaultyApp&) = delete;
    FaultyApp& operator=(const FaultyApp&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<std::string> bodies() const;

private:
    void serve();
    void handle(int fd);

    Handler handler_;
    int listen_fd_ = -1;
    int stop_pipe_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> bodies_;
    std::thread acceptor_;
};

}  // namespace tvtest
