// merge: publishing the accepted work as a feature branch, then, with the
// user's word, integrating it into main with a version bump and a local tag.
#include "commands.h"
#include "refusal.h"
#include "request_members.h"
#include "sim_hash.h"

#include <cctype>
#include <cstdio>

namespace devapp {
namespace {

std::string slug(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) != 0) {
            out.push_back(static_cast<char>(std::tolower(u)));
        } else if (!out.empty() && out.back() != '-') {
            out.push_back('-');
        }
        if (out.size() >= 40) break;
    }
    while (!out.empty() && out.back() == '-') out.pop_back();
    return out.empty() ? "work" : out;
}

std::string bumped(const std::string& version, const std::string& level) {
    int major = 0, minor = 0, patch = 0;
    std::sscanf(version.c_str(), "%d.%d.%d", &major, &minor, &patch);
    if (level == "major") return std::to_string(major + 1) + ".0.0";
    if (level == "minor") return std::to_string(major) + "." + std::to_string(minor + 1) + ".0";
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch + 1);
}

tv::Json publish(Workstation& ws, const std::optional<std::string>& feature) {
    if (const std::size_t unread = ws.unread_reports(); unread > 0) {
        refuse(std::to_string(unread) +
               " subagent report(s) are not accepted yet: read them with \"tarvolt-ctl inbox\" and accept them with "
               "\"tarvolt-ctl ack\" first");
    }
    for (const auto& t : ws.tasks) {
        const Terminal* pane = ws.find_terminal(t.terminal_name);
        if (t.state == TaskState::reported && t.commits.empty() && pane != nullptr && pane->live()) {
            refuse("\"" + t.terminal_name +
                   "\" still has uncommitted work that did not reach this worktree; have it commit and report again, "
                   "or close it");
        }
    }
    if (ws.unpublished.empty()) {
        return {{"outcome", "nothing-to-integrate"},
                {"detail", "no accepted commit since the last publication"},
                {"folderPath", ws.settings.folder}};
    }
    const std::string code = fake_sha(ws.head).substr(0, 4);
    Publication p{"feature/" + slug(feature ? *feature : ws.name) + "-" + code, ws.head, false};
    ws.publications.push_back(p);
    const std::size_t count = ws.unpublished.size();
    ws.unpublished.clear();
    return {{"outcome", "feature-published"},
            {"detail", std::to_string(count) + " commit(s) published; main was not touched.\nIntegrate with "
                                               "\"tarvolt-ctl merge --to-main\" only when the user says so."},
            {"folderPath", ws.settings.folder},
            {"featureBranch", p.branch},
            {"headCommit", short_sha(p.head)}};
}

tv::Json integrate(Workstation& ws, const std::string& level) {
    Publication* waiting = nullptr;
    for (auto& p : ws.publications) {
        if (!p.integrated) waiting = &p;
    }
    if (waiting == nullptr) {
        return {{"outcome", "nothing-to-integrate"},
                {"detail", "no published feature branch is waiting; publish one with \"tarvolt-ctl merge\" first"},
                {"folderPath", ws.settings.folder}};
    }
    for (auto& p : ws.publications) p.integrated = true;
    const std::string previous = ws.version;
    ws.version = bumped(previous, level);
    const std::string merged = fake_sha("main + " + waiting->head);
    return {{"outcome", "integrated"},
            {"featureBranch", waiting->branch},
            {"mainBranch", "main"},
            {"mergedCommit", short_sha(merged)},
            {"release",
             {{"previousVersion", previous},
              {"version", ws.version},
              {"bumpLevel", level},
              {"tagName", "v" + ws.version}}}};
}

}  // namespace

tv::Json merge_command(Workstation& ws, Terminal&, const tv::Json& body) {
    const auto feature = optional_text_member(body, "featureName");
    const auto bump = optional_text_member(body, "versionBump");
    const bool to_main = flag_member(body, "toMain");
    if (bump && *bump != "patch" && *bump != "minor" && *bump != "major") {
        refuse("invalid bump \"" + *bump + "\"; use one of: patch, minor, major");
    }
    if (bump && !to_main) refuse("--bump chooses the version increment of an integration; it only goes with --to-main");
    if (to_main && feature)
        refuse("--feature names a branch to publish; --to-main integrates the one already published");
    return to_main ? integrate(ws, bump ? *bump : "patch") : publish(ws, feature);
}

}  // namespace devapp
