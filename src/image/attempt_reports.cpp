#include "image/attempt_reports.h"

#include "http_client/reply.h"
#include "image/plan_values.h"

namespace tv {
namespace {

Json report_body(const CallerEnv& env, std::string_view command, std::string_view phase) {
    Json body = Json::object();
    body["command"] = command;
    body["from"] = env.terminal_name;
    body["phase"] = phase;
    return body;
}

void send_report(const CallerEnv& env, const Json& body, std::string_view label) {
    if (const auto text = body_text(body)) report_best_effort(env, *text, label);
}

}  // namespace

void report_failed_attempt(const CallerEnv& env, std::string_view command, std::string_view source_key,
                           const std::string& source_id, const std::string& reason, std::string_view label) {
    Json body = report_body(env, command, "failure");
    body[std::string(source_key)] = source_id;
    body["detail"] = reason;
    send_report(env, body, label);
}

void report_delivered_file(const CallerEnv& env, std::string_view command, const std::string& path,
                           std::string_view label) {
    Json body = report_body(env, command, "record");
    body["path"] = path;
    send_report(env, body, label);
}

}  // namespace tv
