// Replies to the commands that open, message, park, bring back and end
// subterminals.
#pragma once

#include "values/json.h"
#include "values/value_text.h"

#include <string>
#include <vector>

namespace tv {

std::string render_spawn(const JsonNode& reply);
std::string render_send(const JsonNode& reply);
std::string render_standby(const JsonNode& reply);
std::string render_resume(const JsonNode& reply);
std::string render_close(const JsonNode& reply);

// "model …", "effort …", "category …" for each of those members that `v`
// has (null included); empty when `v` is not an object.
std::vector<std::string> routing_parts(Value v);

// "warning: {text}" for each string in the reply's `mcpWarnings` array;
// other elements, and a member that is not an array, give nothing.
std::vector<std::string> warning_lines(const JsonNode& reply);

}  // namespace tv
