// How every control command's result reaches standard output.
#pragma once

#include "values/json.h"

#include <string>
#include <string_view>

namespace tv {

// "" or "\npending: ..." from the reply's `pending` object.
std::string pending_line(const JsonNode& reply);

// Writes body + pending line + "\n" in one go, appending to `body` in place.
void write_result(std::string body, const JsonNode& reply);

}  // namespace tv
