// The single fatal path. `fail` unwinds to `run_main`, which writes
// "tarvolt-ctl: {message}\n" to standard error and ends with status 1; unwinding
// (rather than exiting on the spot) lets the image runner reap its child on
// the way out and lets tests observe the message.
#pragma once

#include <string>

namespace tv {

struct Failure {
    std::string message;
};

[[noreturn]] void fail(std::string message);

// "{description} (os error {number})", the form of every system error.
std::string os_error_text(int error_number);

}  // namespace tv
