// The body of the raw HTTP response that the transport read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

// The body of a raw HTTP response: chunked, by content-length, or the whole
// rest. Never fails; the status line is not looked at.
std::string decode_http_response(std::string_view response);

// The content-length a response head announces, when it announces one and
// the body is not chunked.
std::optional<std::uint64_t> announced_length(std::string_view head);

// The same without copying: a view into `response`, or into `storage` when
// the body had to be put together from chunks.
std::string_view decoded_body(std::string_view response, std::string& storage);

}  // namespace tv
