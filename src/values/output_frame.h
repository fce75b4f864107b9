// How every control command's result reaches standard output.
#pragma once

#include "values/json.h"

#include <string>
#include <string_view>

namespace tv {

// "" or "\npending: ..." from the reply's `pending` object.
std::string pending_line(const Json& reply);

// Writes body + pending line + "\n" in one go.
void write_result(const std::string& body, const Json& reply);

}  // namespace tv
