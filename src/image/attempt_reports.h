// What the image and video commands tell the app about each attempt. Both
// are best effort: a refused report only warns.
#pragma once

#include "http_client/control_client.h"

#include <string>
#include <string_view>

namespace tv {

// {"command","from","phase":"failure",{source_key}:{source_id},"detail"}
void report_failed_attempt(const CallerEnv& env, std::string_view command, std::string_view source_key,
                           const std::string& source_id, const std::string& reason, std::string_view label);

// {"command","from","phase":"record","path"}
void report_delivered_file(const CallerEnv& env, std::string_view command, const std::string& path,
                           std::string_view label);

}  // namespace tv
