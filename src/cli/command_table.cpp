#include "cli/command_table.h"

#include "base/fail.h"
#include "cli/usage_text.h"

#include <array>
#include <utility>

namespace tv {

namespace {

constexpr auto table = std::to_array<CommandSpec>({
    {"spawn", {"task"}, {"skills", "mcps", "cli", "model", "effort", "category", "complexity"}, {}},
    {"send", {"to", "message"}, {}, {}},
    {"standby", {"terminal"}, {}, {}},
    {"resume", {"terminal"}, {}, {}},
    {"close", {"terminal"}, {}, {}},
    {"merge", {}, {"feature", "bump"}, {"to-main"}},
    {"done", {"report"}, {}, {}},
    {"progress", {}, {"point", "uncommitted", "next-step", "discarded"}, {}},
    {"image", {"prompt"}, {"out", "tool", "model", "api"}, {}},
    {"video", {"prompt"}, {"out", "api"}, {}},
    {"artifact", {"path"}, {"kind"}, {}},
    {"request", {"summary"}, {}, {}},
    {"history", {}, {"project", "day", "task", "panel", "commit"}, {}},
    {"list", {}, {}, {}},
    {"status", {}, {}, {}},
    {"inbox", {}, {}, {}},
    {"ack", {}, {"report"}, {}},
    {"note", {"text"}, {"kind"}, {}},
    {"brief", {}, {}, {}},
    {"skills", {"for"}, {}, {}},
    {"models", {}, {"cli"}, {}},
    {"quota", {}, {}, {}},
    {"install-skill", {"id", "name", "description", "instructions"}, {"tags"}, {}},
});

constexpr std::pair<std::string_view, ValueKind> value_kinds[] = {
    {"out", ValueKind::path},
    {"path", ValueKind::path},
    {"project", ValueKind::path},
    {"cli", ValueKind::cli_id},
    {"complexity", ValueKind::complexity_level},
    {"tool", ValueKind::local_tool_id},
};

[[noreturn]] void fail_with_usage(const std::string& message) { fail(message + "\n\n" + std::string(usage_text)); }

}  // namespace

std::span<const CommandSpec> command_table() { return table; }

const CommandSpec* find_command(std::string_view name) {
    for (const auto& row : table) {
        if (row.name == name) return &row;
    }
    return nullptr;
}

ValueKind value_kind(std::string_view option) {
    for (const auto& [name, kind] : value_kinds) {
        if (name == option) return kind;
    }
    return ValueKind::text;
}

ParsedArgs parse_options(const CommandSpec& row, std::span<const std::string> arguments) {
    ParsedArgs parsed;
    for (std::size_t i = 0; i < arguments.size();) {
        const std::string& argument = arguments[i];
        if (argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            fail_with_usage("unexpected argument \"" + argument + "\"");
        }
        const std::string name = argument.substr(2);
        if (row.flags.contains(name)) {
            parsed.flags.insert(name);
            i += 1;
        } else if (row.required.contains(name) || row.optional.contains(name)) {
            if (i + 1 >= arguments.size()) fail("the option \"--" + name + "\" requires a value");
            parsed.values[name] = arguments[i + 1];
            i += 2;
        } else {
            fail_with_usage("unknown option \"--" + name + "\" for the command \"" + std::string(row.name) + "\"");
        }
    }
    for (const auto required : row.required) {
        if (parsed.value(required) == nullptr) {
            fail_with_usage("the command \"" + std::string(row.name) + "\" requires --" + std::string(required));
        }
    }
    return parsed;
}

}  // namespace tv
