#include "render/merge_models_skills.h"

#include "render/text_parts.h"
#include "values/guarded_list.h"
#include "values/join.h"
#include "values/value_text.h"

#include <string_view>
#include <vector>

namespace tv {
namespace {

constexpr char six_spaces[] = "      ";

// One entry of `models`: its ids line, then its error and turned-off lines.
void append_cli_lines(const JsonNode& entry, std::vector<std::string>& lines) {
    const JsonNode& models = counted_list(&entry, "models", "entry.models is not iterable");
    const std::string name = "  " + member_text(entry, "cliId") + " (" + member_text(entry, "displayName") + ")";
    if (models.empty()) {
        lines.push_back(name + ": no id available");
    } else {
        lines.push_back(name + " [" + member_text(entry, "source") + "]: " + join_texts(models));
    }
    if (const Value error = read_property(entry, "errorMessage")) lines.push_back(six_spaces + value_text(error));
    const JsonNode& disabled = counted_list(&entry, "disabledModels", "entry.disabledModels is not iterable");
    if (!disabled.empty())
        lines.push_back(std::string(six_spaces) + "turned off on the setup screen: " + join_texts(disabled));
}

}  // namespace

std::string render_merge(const JsonNode& reply) {
    const Value outcome = read_property(reply, "outcome");
    const std::string folder = " (folder: " + member_text(reply, "folderPath") + ")";
    if (is_string(outcome, "nothing-to-integrate"))
        return "nothing to integrate: " + member_text(reply, "detail") + folder;
    if (is_string(outcome, "feature-published")) {
        return "feature branch published: " + member_text(reply, "featureBranch") + " at " +
               member_text(reply, "headCommit") + folder + "\n" + member_text(reply, "detail");
    }
    std::string body = "workstation integrated: " + member_text(reply, "featureBranch") + " -> " +
                       member_text(reply, "mainBranch") + " (" + member_text(reply, "mergedCommit") + ")";
    const Value release = read_property(reply, "release");
    if (is_present_and_not_null(release)) {
        body += "\nversion " + value_text(read_property(release, "previousVersion")) + " -> " +
                value_text(read_property(release, "version")) + " (" + value_text(read_property(release, "bumpLevel")) +
                " bump), local tag " + value_text(read_property(release, "tagName")) + "; the tag is NOT pushed";
    }
    return body;
}

std::string render_models(const JsonNode& reply) {
    const JsonNode& clis = counted_list(&reply, "clis", "responseBody.clis is not iterable");
    if (clis.empty()) return "no CLI is enabled on this workstation";
    std::vector<std::string> lines{"model ids accepted by --model, asked of each CLI on this machine:"};
    for (const JsonNode& entry : clis) append_cli_lines(entry, lines);
    return join(lines, "\n");
}

std::string render_skills(const JsonNode& reply) {
    const JsonNode& matches = counted_list(&reply, "matches", "responseBody.matches is not iterable");
    if (matches.empty()) return "no catalog entry matches this task; spawn without --skills/--mcps";
    std::vector<std::string> lines{"catalog entries relevant to: " + member_text(reply, "task")};
    for (const JsonNode& m : matches) {
        lines.push_back("  [" + member_text(m, "kind") + "] " + member_text(m, "id") + " (score " +
                        member_text(m, "score") + "): " + member_text(m, "name") + " - " +
                        member_text(m, "description"));
    }
    return join(lines, "\n");
}

std::string render_quota(const JsonNode& reply) { return member_text(reply, "renderedSnapshot"); }

std::string render_install_skill(const JsonNode& reply) {
    return "app skill installed: " + member_text(reply, "skillId") + " (" + member_text(reply, "skillName") +
           "); it is enabled and visible in Settings > Skills";
}

}  // namespace tv
