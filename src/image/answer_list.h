// What each source answered, as the final failure message lists it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tv {

inline constexpr std::size_t answer_limit = 600;

// Trailing white space removed, then at most 600 scalar values and
// "… (output truncated)".
std::string shorten_answer(std::string_view reason);

// "  1. {answer}\n  2. {answer}", one line per answer, no final line break.
std::string numbered_answers(const std::vector<std::string>& answers);

}  // namespace tv
