// The manual pages, in roff for man(7).
#pragma once

#include "command_model.h"

#include <string>
#include <string_view>

namespace docgen {

std::string ctl_manual(const std::vector<CommandModel>& commands, std::string_view version);

// The stand-in's page shows its own --help text.
std::string devapp_manual(std::string_view help_text, std::string_view version);

}  // namespace docgen
