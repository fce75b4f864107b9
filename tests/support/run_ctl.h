// Runs the built tarvolt-ctl as a child and collects what it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tvtest {

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

struct RunOptions {
    bool stdout_closed = false;  // the reader of standard output went away
};

// `env` holds "NAME=value" entries; PATH is added from this process.
RunResult run_ctl(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                  const RunOptions& options = {});

// The three variables a pane of the app gets.
std::vector<std::string> pane_env(std::uint16_t port, const std::string& name = "orchestrator",
                                  const std::string& token = "secret-token");

}  // namespace tvtest
