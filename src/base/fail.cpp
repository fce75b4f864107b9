#include "base/fail.h"

#include <cstring>

namespace tv {

void fail(std::string message) { throw Failure{std::move(message)}; }

std::string os_error_text(int error_number) {
    return std::string(std::strerror(error_number)) + " (os error " + std::to_string(error_number) + ")";
}

}  // namespace tv
