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

CallerEnv read_caller_env() {
    CallerEnvRead read = read_raw_caller_env();
    if (!read.env) fail("missing " + read.missing + "; run this inside a tarvolt terminal");
    PortCheck port = check_port(read.env->port);
    return CallerEnv{std::move(port.port_text), std::move(read.env->token),
                     std::move(read.env->terminal_name), port.port};
}

}  // namespace tv
