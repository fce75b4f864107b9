// The 23 commands and their options.
#pragma once

#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct CommandSpec {
    std::string_view name;
    std::vector<std::string_view> required;
    std::vector<std::string_view> optional;
    std::vector<std::string_view> flags;
};

struct ParsedArgs {
    std::map<std::string, std::string, std::less<>> values;  // last occurrence wins
    std::set<std::string, std::less<>> flags;

    const std::string* value(std::string_view name) const {
        const auto it = values.find(name);
        return it == values.end() ? nullptr : &it->second;
    }
    bool has_flag(std::string_view name) const { return flags.contains(name); }
};

std::span<const CommandSpec> command_table();

// Exact, case-sensitive; nullptr when there is no such command.
const CommandSpec* find_command(std::string_view name);

// The arguments after the command name; stops the run on the first error.
ParsedArgs parse_options(const CommandSpec& row, std::span<const std::string> arguments);

extern const std::vector<std::string_view> cli_ids;
extern const std::vector<std::string_view> complexity_levels;

}  // namespace tv
