// What the app tells a pane about itself, through three variables.
#pragma once

#include "http_client/control_client.h"

#include <optional>
#include <string>

namespace tv {

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

// None outside a pane (a variable missing, empty or not UTF-8); inside one,
// a bad port still stops the run with the port message.
std::optional<CallerEnv> read_caller_env_if_set();

}  // namespace tv
