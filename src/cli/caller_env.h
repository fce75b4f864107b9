// What the app tells a pane about itself, through three variables.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tv {

struct CallerEnv {
    std::string port_text;  // the port as written back, for messages only
    std::string token;
    std::string terminal_name;
    std::uint16_t port = 0;
};

struct RawCallerEnv {
    std::string port;
    std::string token;
    std::string terminal_name;
};

// The three variables when all are set, UTF-8 and non-empty; otherwise the
// name of the first one that is not.
struct CallerEnvRead {
    std::optional<RawCallerEnv> env;
    std::string missing;
};
CallerEnvRead read_raw_caller_env();

// Stops the run with "missing {name}; ..." or the port message.
CallerEnv read_caller_env();

}  // namespace tv
