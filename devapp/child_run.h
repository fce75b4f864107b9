// Runs a helper program by its argument vector, with a time limit, so that a
// hung helper never holds the server.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace devapp {

struct ChildResult {
    int status = -1;  // exit status, 128 + signal, or -1 when it could not start or ran out of time
    std::string out;
    std::string err;
    bool timed_out = false;
};

// argv[0] is an absolute path. The child gets no descriptors but the three
// standard ones, unblocked signals at their defaults, and this environment
// less the names in `unset`.
ChildResult run_child(const std::vector<std::string>& argv, const std::vector<std::string>& unset,
                      std::chrono::milliseconds limit);

// The program's absolute path found on PATH, or empty.
std::string find_on_path(const std::string& program);

}  // namespace devapp
