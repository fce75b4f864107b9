#include "image/plan_values.h"

#include "base/fail.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <limits>

namespace tv {

std::optional<std::uint64_t> non_negative_integer(Value v) {
    if (v == nullptr || !v->is_number_unsigned()) return std::nullopt;
    return v->unsigned_value();
}

PlanDuration duration_from_ms(std::uint64_t ms) {
    return {ms / 1000, static_cast<std::uint32_t>((ms % 1000) * 1'000'000)};
}

std::uint64_t minutes_of(PlanDuration d) {
    const std::uint64_t minutes = d.seconds / 60 + (d.seconds % 60 != 0 ? 1 : 0);
    return minutes == 0 ? 1 : minutes;
}

std::chrono::steady_clock::time_point deadline_after(std::chrono::steady_clock::time_point start, PlanDuration d,
                                                     std::chrono::nanoseconds grace) {
    using Clock = std::chrono::steady_clock;
    using Rep = Clock::duration::rep;
    constexpr Rep most = std::numeric_limits<Rep>::max();
    constexpr Rep per_second = 1'000'000'000;
    static_assert(std::is_same_v<Clock::duration, std::chrono::nanoseconds>);
    if (d.seconds > static_cast<std::uint64_t>(most / per_second)) return Clock::time_point::max();
    Rep total = static_cast<Rep>(d.seconds) * per_second;
    Rep at = 0;
    if (__builtin_add_overflow(total, static_cast<Rep>(d.nanoseconds), &total) ||
        __builtin_add_overflow(total, grace.count(), &total) ||
        __builtin_add_overflow(start.time_since_epoch().count(), total, &at)) {
        return Clock::time_point::max();
    }
    return Clock::time_point(Clock::duration(at));
}

void sleep_for(PlanDuration d) {
    timespec left{static_cast<time_t>(std::min<std::uint64_t>(d.seconds, std::numeric_limits<time_t>::max())),
                  static_cast<long>(d.nanoseconds)};
    while (::nanosleep(&left, &left) < 0 && errno == EINTR) {
    }
}

std::optional<std::string_view> required_text(Value holder, std::string_view key) {
    const Value v = read_property(holder, key);
    if (v == nullptr || !v->is_string() || v->text().empty()) return std::nullopt;
    return v->text();
}

std::optional<std::string> body_text(const Json& body) {
    try {
        return to_compact_text(body);
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

bool has_delivered_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

void remove_earlier_file(const std::string& path) { (void)::unlink(path.c_str()); }

const JsonNode& plan_attempts(const JsonNode& reply, std::string_view plan_name) {
    const Value attempts = read_property(reply, "attempts");
    if (attempts == nullptr || !attempts->is_array()) {
        fail("the tarvolt " + std::string(plan_name) + " plan carries no \"attempts\"");
    }
    return *attempts;
}

PlanTarget read_plan_target(const JsonNode& reply, std::string_view plan_name) {
    const std::optional<std::string_view> output_path = required_text(&reply, "outputPath");
    if (!output_path) fail("the tarvolt " + std::string(plan_name) + " plan carries no \"outputPath\"");
    return {std::string(*output_path), non_negative_integer(read_property(reply, "registeredApiCount")).value_or(0)};
}

}  // namespace tv
