// Runs the built tarvolt-ctl with its output streams in states a caller can
// leave them in, and measures what the run cost.
#pragma once

#include "support/run_ctl.h"

#include <chrono>
#include <string>
#include <vector>

namespace tvtest {

enum class Sink {
    pipe,         // read by this test
    closed,       // the descriptor is not open at all
    full,         // the null device that is always full
    reader_gone,  // a pipe whose reading end is closed
};

struct StreamRun : RunResult {
    long max_rss_kb = 0;  // of tarvolt-ctl and the children it waited for
    std::chrono::steady_clock::duration elapsed{};
};

// A run still going after `limit` is killed (status 128 + 9).
StreamRun run_ctl_into(const std::vector<std::string>& args, const std::vector<std::string>& env, Sink out, Sink err,
                       std::chrono::seconds limit = std::chrono::seconds(60));

}  // namespace tvtest
