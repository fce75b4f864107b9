// The help text of the 23 commands.
#pragma once

#include <array>
#include <string_view>

namespace tv {

// The one help text: printed for help, and after the usage errors.
extern const std::string_view usage_text;

// A first argument that asks for it.
inline constexpr std::array<std::string_view, 3> help_words = {"-h", "help", "--help"};

}  // namespace tv
