// The completion scripts of bash, zsh and fish.
#pragma once

#include "command_model.h"

#include <string>

namespace docgen {

// Each script carries the same data: per command a list of option forms,
// "--name" for a flag, "--name=" for free text, "--name=@" for a path and
// "--name=a|b|c" for a closed set. The shell code walks the words already
// typed: an option given is not offered again (a repeat would only replace
// the value), and an option that takes a value is followed by one.
std::string bash_completion(const std::vector<CommandModel>& commands);
std::string zsh_completion(const std::vector<CommandModel>& commands);
std::string fish_completion(const std::vector<CommandModel>& commands);

}  // namespace docgen
