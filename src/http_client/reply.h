// The envelope of every answer: success, the error text, best-effort reports.
#pragma once

#include "http_client/control_client.h"
#include "values/json.h"

#include <string>
#include <string_view>

namespace tv {

// An object whose `ok` is the JSON true; nothing else counts.
bool reply_succeeded(const JsonNode& reply);

// The `error` string unchanged, else "unknown tarvolt error".
std::string reply_error_text(const JsonNode& reply);

// Sends a report whose failure only warns on standard error.
void report_best_effort(const CallerEnv& env, std::string_view body, std::string_view label);

// Sends a request whose failure ends the run: the transport text, or the
// refusal's error text.
JsonTree request_or_fail(const CallerEnv& env, std::string_view body);

}  // namespace tv
