#include "command_model.h"

#include "cli/command_table.h"
#include "cli/usage_text.h"
#include "image_tools/local_tools.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace docgen {
namespace {

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string_view::npos; start = at + 1) {
        parts.emplace_back(text.substr(start, at - start));
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

struct UsageEntry {
    std::vector<std::string> synopsis;
    std::string description;
};

// A line indented by two spaces opens an entry (its first word is the
// command); the lines indented further explain it.
std::map<std::string, UsageEntry, std::less<>> usage_entries() {
    std::map<std::string, UsageEntry, std::less<>> entries;
    UsageEntry* current = nullptr;
    for (const std::string& line : split(tv::usage_text, '\n')) {
        const std::size_t indent = line.find_first_not_of(' ');
        if (indent == 2) {
            current = &entries[line.substr(2, line.find(' ', 2) - 2)];
            current->synopsis.push_back(line.substr(2));
        } else if (indent != std::string::npos && indent > 2 && current != nullptr) {
            if (!current->description.empty()) current->description += ' ';
            current->description += line.substr(indent);
        } else {
            current = nullptr;
        }
    }
    return entries;
}

// The words of the synopsis lines without their brackets.
std::vector<std::string> synopsis_words(const UsageEntry& entry) {
    std::vector<std::string> words;
    for (const std::string& line : entry.synopsis) {
        for (std::string word : split(line, ' ')) {
            if (word.starts_with('[')) word.erase(0, 1);
            if (word.ends_with(']')) word.pop_back();
            if (!word.empty()) words.push_back(word);
        }
    }
    return words;
}

void check_choice(const std::string& command, const std::string& value) {
    const bool plain = !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
    });
    if (!plain) throw std::runtime_error(command + ": value \"" + value + "\" cannot be offered as written");
}

void set_values(const std::string& command, OptionModel& option) {
    switch (tv::value_kind(option.name)) {
        case tv::ValueKind::path:
            option.path = true;
            break;
        case tv::ValueKind::cli_id:
            option.choices.assign(tv::cli_ids.begin(), tv::cli_ids.end());
            break;
        case tv::ValueKind::complexity_level:
            option.choices.assign(tv::complexity_levels.begin(), tv::complexity_levels.end());
            break;
        case tv::ValueKind::local_tool_id:
            for (const auto& tool : tv::local_tools) option.choices.emplace_back(tool.id);
            break;
        case tv::ValueKind::text:
            // The usage text spells a closed set as a|b|c.
            if (option.placeholder.find('|') != std::string::npos) option.choices = split(option.placeholder, '|');
            break;
    }
    for (const std::string& choice : option.choices) check_choice(command, choice);
}

CommandModel model_of(const tv::CommandSpec& row, const UsageEntry& entry) {
    CommandModel model{std::string(row.name), entry.synopsis, entry.description, {}};
    const std::vector<std::string> words = synopsis_words(entry);
    auto add = [&](std::string_view name, bool required, bool takes_value) {
        OptionModel option{std::string(name), required, takes_value, {}, false, {}};
        const auto at = std::find(words.begin(), words.end(), "--" + option.name);
        if (at == words.end()) throw std::runtime_error(model.name + ": the usage text does not show --" + option.name);
        if (takes_value) {
            if (at + 1 == words.end() || at[1].starts_with("--")) {
                throw std::runtime_error(model.name + ": the usage text shows no value for --" + option.name);
            }
            option.placeholder = at[1];
            set_values(model.name, option);
        }
        model.options.push_back(std::move(option));
    };
    for (const auto name : row.required) add(name, true, true);
    for (const auto name : row.optional) add(name, false, true);
    for (const auto name : row.flags) add(name, false, false);
    // A form the entry point answers before the table is read
    // (`image --list-tools`): a flag of its own.
    for (const std::string& word : words) {
        const bool known = std::any_of(model.options.begin(), model.options.end(),
                                       [&](const OptionModel& o) { return "--" + o.name == word; });
        if (word.starts_with("--") && !known) add(std::string_view(word).substr(2), false, false);
    }
    return model;
}

}  // namespace

std::vector<CommandModel> command_models() {
    auto entries = usage_entries();
    std::vector<CommandModel> models;
    for (const tv::CommandSpec& row : tv::command_table()) {
        const auto entry = entries.find(row.name);
        if (entry == entries.end())
            throw std::runtime_error("the usage text does not explain " + std::string(row.name));
        models.push_back(model_of(row, entry->second));
        entries.erase(entry);
    }
    if (!entries.empty())
        throw std::runtime_error("the usage text explains " + entries.begin()->first + ", not a command");
    return models;
}

std::vector<std::string> first_words() {
    std::vector<std::string> words(tv::help_words.begin(), tv::help_words.end());
    for (const tv::CommandSpec& row : tv::command_table()) words.emplace_back(row.name);
    return words;
}

}  // namespace docgen
