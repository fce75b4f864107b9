// The white space of every trimming rule: the Unicode White_Space property.
#pragma once

#include <string>
#include <string_view>

namespace tv {

bool is_white_space(char32_t c);

// Both ends / the end only. Meant for UTF-8; other bytes are kept.
std::string_view trimmed(std::string_view text);
std::string trim_white_space(std::string_view text);
std::string trim_trailing_white_space(std::string_view text);

}  // namespace tv
