#include "clock_text.h"

#include <cstdio>
#include <ctime>

namespace devapp {
namespace {

std::tm utc(WallTime t) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(t);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    return parts;
}

std::string formatted(WallTime t, const char* format) {
    const std::tm parts = utc(t);
    char buf[64];
    const std::size_t n = std::strftime(buf, sizeof buf, format, &parts);
    return std::string(buf, n);
}

}  // namespace

std::string moment_text(WallTime t) { return formatted(t, "%Y-%m-%dT%H:%M:%SZ"); }

std::string day_text(WallTime t) { return formatted(t, "%Y-%m-%d"); }

std::string file_stamp_text(WallTime t) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
    char tail[8];
    std::snprintf(tail, sizeof tail, "-%03d", static_cast<int>(ms));
    return formatted(t, "%Y%m%d-%H%M%S") + tail;
}

}  // namespace devapp
