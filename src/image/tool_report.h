// A local tool's standard error, as the sentence that reports it.
#pragma once

#include <string>
#include <string_view>

namespace tv {

inline constexpr std::size_t tool_report_limit = 4000;

// What a local tool said on standard error, as one sentence:
// "the tool reported: {text}" or "the tool printed nothing on stderr".
std::string tool_report(std::string_view stderr_bytes);

// For standard error still being read: drops what cannot change the report,
// so that `tool_report` of what is left plus any later bytes is the text it
// would have been for all of them. True once no later byte can change it.
bool shorten_for_tool_report(std::string& stderr_bytes);

}  // namespace tv
