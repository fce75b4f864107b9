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

// Writes all of `text` to standard output; a failed write (a reader that went
// away) ends the run with status 1 rather than passing for a success.
void write_stdout(std::string_view text);

}  // namespace tv
