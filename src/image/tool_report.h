// A local tool's standard error, as the sentence that reports it.
#pragma once

#include <string>
#include <string_view>

namespace tv {

inline constexpr std::size_t tool_report_limit = 4000;

// What a local tool said on standard error, as one sentence:
// "the tool reported: {text}" or "the tool printed nothing on stderr".
std::string tool_report(std::string_view stderr_bytes);

}  // namespace tv
