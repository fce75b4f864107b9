#include "video/video_plan.h"

#include "base/fail.h"
#include "values/value_text.h"

namespace tv {
namespace {

std::string required(const JsonNode& entry, std::string_view key) {
    const std::optional<std::string_view> text = required_text(&entry, key);
    if (!text) fail("the tarvolt video plan carries no \"" + std::string(key) + "\"");
    return std::string(*text);
}

PlanDuration required_ms(const JsonNode& entry, std::string_view key) {
    const auto ms = non_negative_integer(read_property(entry, key));
    if (!ms) fail("a video attempt carries no \"" + std::string(key) + "\"");
    return duration_from_ms(*ms);
}

VideoAttempt read_attempt(const JsonNode& entry) {
    if (!is_string(read_property(entry, "kind"), "api")) {
        fail(
            "a video attempt is not a registered API; video has no local tool, so this client will not run "
            "anything it was handed");
    }
    VideoAttempt attempt;
    attempt.api_id = required(entry, "apiId");
    attempt.api_name = required(entry, "apiName");
    const std::optional<std::string_view> model = required_text(&entry, "model");
    attempt.model = model ? std::string(*model) : "default model";
    attempt.timeout = required_ms(entry, "timeoutMs");
    attempt.poll_interval = required_ms(entry, "pollIntervalMs");
    // Providers are never asked more often than once a second.
    if (attempt.poll_interval.seconds == 0 ||
        (attempt.poll_interval.seconds == 1 && attempt.poll_interval.nanoseconds == 0)) {
        attempt.poll_interval = PlanDuration{1, 0};
    }
    return attempt;
}

}  // namespace

VideoPlan read_video_plan(const JsonNode& reply) {
    VideoPlan plan;
    for (const JsonNode& entry : plan_attempts(reply, "video")) plan.attempts.push_back(read_attempt(entry));
    if (plan.attempts.empty()) fail("the tarvolt video plan carries no API to call");
    PlanTarget target = read_plan_target(reply, "video");
    plan.output_path = std::move(target.output_path);
    plan.registered_api_count = target.registered_api_count;
    return plan;
}

}  // namespace tv
