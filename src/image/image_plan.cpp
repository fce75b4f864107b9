#include "image/image_plan.h"

#include "base/fail.h"
#include "values/value_text.h"

namespace tv {
namespace {

std::string required(Value entry, std::string_view key) {
    const std::optional<std::string_view> text = required_text(entry, key);
    if (!text) fail("the tarvolt image plan carries no \"" + std::string(key) + "\"");
    return std::string(*text);
}

ImageAttempt read_attempt(const JsonNode& entry) {
    ImageAttempt attempt;
    const auto timeout_ms = non_negative_integer(read_property(entry, "timeoutMs"));
    if (!timeout_ms) fail("an image attempt carries no \"timeoutMs\"");
    attempt.timeout = duration_from_ms(*timeout_ms);
    const Value kind = read_property(entry, "kind");
    if (is_string(kind, "command")) {
        attempt.kind = SourceKind::local_tool;
        attempt.image_cli_id = required(&entry, "imageCliId");
        attempt.name = required(&entry, "toolName");
        attempt.model = required(&entry, "model");
        attempt.command_line = required(&entry, "commandLine");
    } else if (is_string(kind, "api")) {
        attempt.kind = SourceKind::registered_api;
        attempt.api_id = required(&entry, "apiId");
        attempt.name = required(&entry, "apiName");
        const std::optional<std::string_view> model = required_text(&entry, "model");
        attempt.model = model ? std::string(*model) : "default model";
    } else {
        fail("an image attempt carries no \"kind\" this client understands");
    }
    return attempt;
}

}  // namespace

ImagePlan read_image_plan(const JsonNode& reply) {
    ImagePlan plan;
    for (const JsonNode& entry : plan_attempts(reply, "image")) plan.attempts.push_back(read_attempt(entry));
    if (plan.attempts.empty()) fail("the tarvolt image plan carries no tool to run");
    PlanTarget target = read_plan_target(reply, "image");
    plan.output_path = std::move(target.output_path);
    plan.registered_api_count = target.registered_api_count;
    return plan;
}

std::string kind_text(const ImageAttempt& attempt) {
    return attempt.kind == SourceKind::local_tool ? "local tool" : "registered API";
}

std::string attempt_label(const ImageAttempt& attempt) {
    return kind_text(attempt) + " " + attempt.name + ", model " + attempt.model;
}

}  // namespace tv
