// The help text of the 23 commands.
#pragma once

#include <string_view>

namespace tv {

// The one help text: printed for help, and after the usage errors.
extern const std::string_view usage_text;

}  // namespace tv
