// The small text pieces every renderer builds its body from.
#pragma once

#include "values/value_text.h"

#include <string>
#include <string_view>

namespace tv {

// value_text of a member: "undefined" when the holder has none.
inline std::string member_text(Value holder, std::string_view key) { return value_text(read_property(holder, key)); }
inline std::string member_text(const JsonNode& holder, std::string_view key) { return member_text(&holder, key); }

}  // namespace tv
