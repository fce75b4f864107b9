#include "http_client/reply.h"

#include "base/fail.h"
#include "base/output.h"
#include "http_client/control_client.h"

namespace tv {

bool reply_succeeded(const Json& reply) {
    if (!reply.is_object()) return false;
    const auto it = reply.find("ok");
    return it != reply.end() && it->is_boolean() && it->get<bool>();
}

std::string reply_error_text(const Json& reply) {
    if (reply.is_object()) {
        const auto it = reply.find("error");
        if (it != reply.end() && it->is_string()) return it->get<std::string>();
    }
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

Json request_or_fail(const CallerEnv& env, std::string_view body) {
    ControlReply reply = send_control_request(env, body);
    if (!reply.body) fail(reply.error);
    if (!reply_succeeded(*reply.body)) fail(reply_error_text(*reply.body));
    return std::move(*reply.body);
}

}  // namespace tv
