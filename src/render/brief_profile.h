// The development profile block of `brief`: which model configurations the
// profile selects, one line each, ready to paste into a spawn.
#pragma once

#include "values/value_text.h"

#include <string>
#include <vector>

namespace tv {

// Appends the block's lines; adds nothing when the reply has no
// `developmentProfile` member at all.
void append_profile_lines(const JsonNode& reply, std::vector<std::string>& lines);

}  // namespace tv
