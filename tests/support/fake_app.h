// A scripted stand-in for the app: listens on a free loopback port, records
// the exact bytes of every request and answers each connection as told, well
// or with a fault on the wire.
#pragma once

#include "values/json.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tvtest {

struct Request {
    std::string raw;   // every byte received, head and body
    std::string body;  // the bytes after the blank line
};

struct Answer {
    std::string bytes;                  // written as they are; cut them short for a broken reply
    bool hold_open = false;             // then stay silent until the client hangs up
    std::chrono::milliseconds drip{0};  // pause before each byte; 0 writes them at once
    bool reset = false;                 // end with a reset (RST) instead of a close
};

// "HTTP/1.1 {status} OK" with content-length and the JSON text as body.
Answer json_answer(std::string_view json_text, int status = 200);

using Handler = std::function<Answer(const Request&)>;

// An image plan of one local tool, Codex with model m, run as `command_line`
// to draw the file at `path`.
std::string tool_plan(const std::string& path, const std::string& command_line);
// The "phase" that the body of a request names, or "".
std::string phase_of(const Request& request);
// Answers the plan with `plan`, and every later phase with what `later` gives
// for its body: {"ok":true} when it gives "" or there is no `later`.
Handler plan_then(std::string plan, std::function<std::string(const tv::Json& body)> later = {});

class FakeApp {
public:
    explicit FakeApp(Handler handler);
    // Answers in order; the last one repeats.
    explicit FakeApp(std::vector<Answer> script);
    ~FakeApp();
    FakeApp(const FakeApp&) = delete;
    FakeApp& operator=(const FakeApp&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<Request> requests() const;

private:
    void handle(int fd);

    Handler handler_;
    int listen_fd_ = -1;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::thread acceptor_;
};

}  // namespace tvtest
