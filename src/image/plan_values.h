// Values that the image and video plans share: millisecond counts, the
// minutes shown for them, deadlines, required texts and the output file.
#pragma once

#include "values/json.h"
#include "values/value_text.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tv {

// A plan's time value, kept whole: 2^64-1 ms does not fit in nanoseconds.
struct PlanDuration {
    std::uint64_t seconds = 0;
    std::uint32_t nanoseconds = 0;
};

// A number written without sign, fraction or exponent that fits 64 bits.
std::optional<std::uint64_t> non_negative_integer(Value v);

PlanDuration duration_from_ms(std::uint64_t ms);

// ceil(whole seconds / 60), at least 1.
std::uint64_t minutes_of(PlanDuration d);

// start + d + grace, held at the clock's last instant when it would not fit.
std::chrono::steady_clock::time_point deadline_after(std::chrono::steady_clock::time_point start, PlanDuration d,
                                                     std::chrono::nanoseconds grace = {});

// Sleeps the whole duration, however long, resuming after interruptions.
void sleep_for(PlanDuration d);

// The attempts of the image or video plan (`plan_name`), or the run ends
// with "the tarvolt {plan_name} plan carries no \"attempts\"".
const JsonNode& plan_attempts(const JsonNode& reply, std::string_view plan_name);

// What every plan carries beside its attempts: the file to produce, and how
// many APIs the app has registered (0 when it does not say).
struct PlanTarget {
    std::string output_path;
    std::uint64_t registered_api_count = 0;
};
PlanTarget read_plan_target(const JsonNode& reply, std::string_view plan_name);

// The member when it is a string of at least one byte.
std::optional<std::string_view> required_text(Value holder, std::string_view key);

// Compact text of a request body, or nothing when it cannot be written.
std::optional<std::string> body_text(const Json& body);

// A regular file (links followed) with at least one byte.
bool has_delivered_file(const std::string& path);

// Takes away whatever an earlier attempt or run left there; errors are
// of no interest (nothing there, no permission, a directory).
void remove_earlier_file(const std::string& path);

}  // namespace tv
