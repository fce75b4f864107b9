// The 23 commands and their options.
#pragma once

#include "base/fixed_names.h"

#include <array>
#include <cstddef>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace tv {

// Up to seven option names a list.
using OptionNames = FixedNames<7>;

struct CommandSpec {
    std::string_view name;
    OptionNames required;
    OptionNames optional;
    OptionNames flags;
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

// What a value option expects, for the manual page and the shell completions;
// an option name means the same in every command that has it.
enum class ValueKind { text, path, cli_id, complexity_level, local_tool_id };
ValueKind value_kind(std::string_view option);

inline constexpr std::array<std::string_view, 8> cli_ids = {"claude",   "codex",  "kimi",        "grok",
                                                            "opencode", "cursor", "antigravity", "qwen"};
inline constexpr std::array<std::string_view, 3> complexity_levels = {"alta", "media", "baixa"};

}  // namespace tv
