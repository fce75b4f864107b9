#include "http_client/reply.h"

#include "base/fail.h"
#include "base/output.h"
#include "http_client/control_client.h"

namespace tv {

bool reply_succeeded(const JsonNode& reply) {
    const JsonNode* ok = reply.find("ok");
    return ok != nullptr && ok->is_boolean() && ok->boolean_value();
}

std::string reply_error_text(const JsonNode& reply) {
    const JsonNode* error = reply.find("error");
    if (error != nullptr && error->is_string()) return std::string(error->text());
    return "unknown tarvolt error";
}

void report_best_effort(const CallerEnv& env, std::string_view body, std::string_view label) {
    const ControlReply reply = send_control_request(env, body);
    if (!reply.body) {
        warn(std::string(label) + ": " + reply.error);
    } else if (!reply_succeeded(*reply.body)) {
        warn(std::string(label) + ": " + reply_error_text(*reply.body));
    }
}

JsonTree request_or_fail(const CallerEnv& env, std::string_view body) {
    ControlReply reply = send_control_request(env, body);
    if (!reply.body) fail(reply.error);
    if (!reply_succeeded(*reply.body)) fail(reply_error_text(*reply.body));
    return std::move(*reply.body);
}

}  // namespace tv
