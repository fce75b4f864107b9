#include "cli/caller_env.h"

#include "base/fail.h"
#include "base/utf8.h"
#include "values/port.h"

#include <cstdlib>

namespace tv {

CallerEnvRead read_raw_caller_env() {
    std::string values[3];
    const char* names[3] = {"TARVOLT_CTL_PORT", "TARVOLT_CTL_TOKEN", "TARVOLT_TERMINAL_NAME"};
    for (int i = 0; i < 3; ++i) {
        const char* v = std::getenv(names[i]);
        if (v == nullptr || *v == '\0' || !is_valid_utf8(v)) return {std::nullopt, names[i]};
        values[i] = v;
    }
    return {RawCallerEnv{values[0], values[1], values[2]}, ""};
}

namespace {

CallerEnv checked(RawCallerEnv raw) {
    PortCheck port = check_port(raw.port);
    // The token travels as a header value: a line break would end it there
    // and let the rest of the variable pose as headers of its own.
    if (raw.token.find_first_of("\r\n") != std::string::npos) {
        fail("TARVOLT_CTL_TOKEN holds a line break, which a request header cannot carry");
    }
    return CallerEnv{std::move(port.port_text), std::move(raw.token), std::move(raw.terminal_name), port.port};
}

}  // namespace

CallerEnv read_caller_env() {
    CallerEnvRead read = read_raw_caller_env();
    if (!read.env) fail("missing " + read.missing + "; run this inside a tarvolt terminal");
    return checked(std::move(*read.env));
}

std::optional<CallerEnv> read_caller_env_if_set() {
    CallerEnvRead read = read_raw_caller_env();
    if (!read.env) return std::nullopt;
    return checked(std::move(*read.env));
}

}  // namespace tv
