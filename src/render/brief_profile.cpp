#include "render/brief_profile.h"

#include <cstddef>
#include <string_view>

namespace tv {
namespace {

constexpr std::string_view ranking_sentence =
    "profile models: none \u2014 this profile orders the ranking instead of selecting models, so choose by "
    "category";
constexpr std::string_view empty_selection_sentence =
    "profile models: none \u2014 the Custom selection is empty; spawns use the workstation CLI fallback until a "
    "configuration is selected";

// The `models` array of a selectedByCli element, or nullptr when the element
// contributes no configuration.
const JsonNode* cli_models(const JsonNode& entry) {
    const Value models = read_property(&entry, "models");
    return models != nullptr && models->is_array() ? models : nullptr;
}

void append_configurations(const JsonNode& selected, Value selection, std::size_t total,
                           std::vector<std::string>& lines) {
    lines.push_back("profile models (" + std::to_string(total) + " configuration(s) selected in " +
                    std::to_string(selected.size()) +
                    " CLI(s); one panel per CONFIGURATION, never one per CLI; the same --model can appear at "
                    "more than one --effort and each is a different price; the --effort on each line is the "
                    "level marked in the profile, so paste it as it is):");
    for (const JsonNode& entry : selected) {
        const JsonNode* models = cli_models(entry);
        if (models == nullptr) continue;
        const std::string cli = value_text(read_property(&entry, "cliId"));
        for (const JsonNode& m : *models) {
            std::string line = "  --cli " + cli + " --model " + value_text(read_property(&m, "model"));
            const Value effort = read_property(&m, "effort");
            if (is_present(effort)) line += " --effort " + value_text(effort);
            lines.push_back(std::move(line));
        }
    }
    const Value unselected = read_property(selection, "unselectedCliIds");
    if (unselected != nullptr && unselected->is_array() && !unselected->empty()) {
        lines.push_back("  no models selected in: " + join_texts(*unselected));
    }
}

}  // namespace

void append_profile_lines(const JsonNode& reply, std::vector<std::string>& lines) {
    const Value profile = read_property(reply, "developmentProfile");
    if (!is_present(profile)) return;
    lines.push_back("development profile: " + value_text(read_property(profile, "label")) + " [" +
                    value_text(read_property(profile, "id")) + "]");

    const Value selection = read_property(profile, "modelSelection");
    if (!is_present(selection)) {
        lines.emplace_back(ranking_sentence);
        return;
    }
    const Value selected = read_property(selection, "selectedByCli");
    std::size_t total = 0;
    if (selected != nullptr && selected->is_array()) {
        for (const JsonNode& entry : *selected) {
            if (const JsonNode* models = cli_models(entry)) total += models->size();
        }
    }
    if (total == 0) {
        lines.emplace_back(empty_selection_sentence);
        return;
    }
    append_configurations(*selected, selection, total, lines);
}

}  // namespace tv
