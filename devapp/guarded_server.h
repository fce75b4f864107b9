// The stand-in's HTTP server, kept serving while peers connect and send
// nothing, drip their request, or come in crowds.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <memory>

namespace devapp {

struct ConnectionLimits {
    std::size_t workers = 64;                 // requests read and answered at once
    std::size_t connections = 256;            // held at once; beyond, the longest silent one is closed
    std::chrono::milliseconds silence{5000};  // from the connection to its request's first byte
    std::chrono::milliseconds request{5000};  // from that byte to the end of the body
    std::chrono::milliseconds write{5000};    // for each write of the answer
    std::chrono::milliseconds linger{500};    // draining what the peer still sends after the answer
};

// One request per connection, like the client. A connection waits without a
// thread until its request begins; then one of a fixed set of workers reads
// the request before its deadline and answers it.
class GuardedServer : public httplib::Server {
public:
    explicit GuardedServer(ConnectionLimits limits = {});
    ~GuardedServer() override;

    // listen_after_bind() with the workers running; returns once the listener
    // stopped and the requests already begun are answered. The threads start
    // here, so a fork between bind and serve keeps them.
    bool serve();

private:
    // Called for each accepted connection instead of the library's own loop.
    bool process_and_close_socket(socket_t sock) override;

    struct Guard;
    std::unique_ptr<Guard> guard_;
};

}  // namespace devapp
