// The bodies of `list` (the live terminals) and `brief` (the orientation
// sheet an agent reads before it starts).
#pragma once

#include "values/json.h"

#include <string>
#include <vector>

namespace tv {

std::string render_list(const JsonNode& reply);
std::string render_brief(const JsonNode& reply);

// Names of the subagents of `terminals` (an array) whose status is the
// string "idle", respectively "standby", in list order.
std::vector<std::string> idle_subagents(const JsonNode& terminals);
std::vector<std::string> standby_subagents(const JsonNode& terminals);

}  // namespace tv
