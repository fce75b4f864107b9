#pragma once

#include <string>
#include <string_view>

namespace tv {

// The body of a raw HTTP response: chunked, by content-length, or the whole
// rest. Never fails; the status line is not looked at.
std::string decode_http_response(std::string_view response);

}  // namespace tv
