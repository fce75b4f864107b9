// One blocking HTTP/1.1 POST of one JSON body to the app, one connection per
// request, and the JSON value of the answer back.
#pragma once

#include "values/json.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

// Where the app listens and who is calling, as the pane's variables say.
struct CallerEnv {
    std::string port_text;  // the port as written back, for messages only
    std::string token;
    std::string terminal_name;
    std::uint16_t port = 0;
};

struct ControlReply {
    std::optional<JsonTree> body;  // set on success
    std::string error;             // a whole sentence otherwise
};

ControlReply send_control_request(const CallerEnv& env, std::string_view body);

// The exact bytes of the request head.
std::string request_head(std::uint16_t port, std::size_t body_length, std::string_view token);

// "connect ECONNREFUSED 127.0.0.1:{port}", "timed out talking to the tarvolt",
// or the system's description of the error.
std::string transport_error_text(int error_number, std::uint16_t port);

// Turns the raw response into the reply value or the "invalid response" text.
ControlReply read_reply(std::string response);

}  // namespace tv
