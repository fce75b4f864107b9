// The command line as the program's tables describe it, in the shape the
// manual page and the completions need.
#pragma once

#include <string>
#include <vector>

namespace docgen {

struct OptionModel {
    std::string name;  // without the leading dashes
    bool required = false;
    bool takes_value = true;           // false: a flag
    std::string placeholder;           // the value as the usage text writes it
    bool path = false;                 // a file name is expected
    std::vector<std::string> choices;  // empty: any text
};

struct CommandModel {
    std::string name;
    std::vector<std::string> synopsis;  // the usage text's lines for it
    std::string description;            // its explanation, on one line
    std::vector<OptionModel> options;
};

// Throws std::runtime_error where the usage text and the table disagree, so
// a drift between them stops the build.
std::vector<CommandModel> command_models();

// What the first argument may be: the help words, then the commands.
std::vector<std::string> first_words();

}  // namespace docgen
