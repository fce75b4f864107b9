// list, models, skills, quota and install-skill: what the workstation and the
// machine offer.
#include "commands.h"
#include "refusal.h"
#include "request_members.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace devapp {

tv::Json list_command(Workstation& ws, Terminal&, const tv::Json&) {
    tv::Json terminals = tv::Json::array();
    for (const auto& t : ws.terminals) {
        if (t.live()) terminals.push_back(terminal_entry(t));
    }
    return {{"terminals", terminals}};
}

namespace {

tv::Json models_entry(const CliInfo& cli) {
    tv::Json models = tv::Json::array();
    tv::Json disabled = tv::Json::array();
    const std::string why = cli_unavailable_reason(cli);
    if (why.empty()) {
        for (const auto m : cli.models) {
            const bool off = cli.disabled_models.contains(m);
            (off ? disabled : models).push_back(std::string(m));
        }
    }
    tv::Json e = {{"cliId", std::string(cli.id)},
                  {"displayName", std::string(cli.display_name)},
                  {"source", "asked the CLI"},
                  {"models", models}};
    if (!why.empty()) e["errorMessage"] = "cannot list its models: " + why;
    e["disabledModels"] = disabled;
    return e;
}

}  // namespace

tv::Json models_command(Workstation&, Terminal&, const tv::Json& body) {
    const auto only = optional_text_member(body, "cli");
    tv::Json clis = tv::Json::array();
    if (only) {
        const CliInfo* cli = find_cli(*only);
        if (cli == nullptr) refuse("unknown CLI id \"" + *only + "\"");
        clis.push_back(models_entry(*cli));
    } else {
        // The CLIs enabled here are the installed ones; one that cannot list
        // its models is answered all the same, with the reason.
        for (const auto& cli : cli_table()) {
            if (cli.installed) clis.push_back(models_entry(cli));
        }
    }
    return {{"clis", clis}};
}

tv::Json skills_command(Workstation& ws, Terminal&, const tv::Json& body) {
    const std::string& task = text_member(body, "task");
    const auto words = words_of(task);
    struct Scored {
        const CatalogEntry* entry;
        double score;
    };
    std::vector<Scored> found;
    for (const auto& e : ws.catalog) {
        std::vector<std::string> terms = e.tags;
        for (const auto& w : words_of(e.name)) terms.push_back(w);
        std::sort(terms.begin(), terms.end());
        terms.erase(std::unique(terms.begin(), terms.end()), terms.end());
        std::size_t hits = 0;
        for (const auto& t : terms) hits += std::find(words.begin(), words.end(), t) != words.end() ? 1 : 0;
        if (hits == 0) continue;
        const double share = static_cast<double>(hits) / static_cast<double>(std::min<std::size_t>(terms.size(), 4));
        found.push_back({&e, std::round(std::min(1.0, share) * 100.0) / 100.0});
    }
    std::stable_sort(found.begin(), found.end(), [](const Scored& a, const Scored& b) { return a.score > b.score; });
    tv::Json matches = tv::Json::array();
    for (const auto& s : found) {
        matches.push_back({{"kind", s.entry->kind},
                           {"id", s.entry->id},
                           {"score", s.score},
                           {"name", s.entry->name},
                           {"description", s.entry->description}});
    }
    return {{"task", task}, {"matches", matches}};
}

namespace {

std::string bar(int percent_left) {
    const int filled = percent_left / 5;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(20 - filled), '-') + "]";
}

}  // namespace

tv::Json quota_command(Workstation& ws, Terminal&, const tv::Json&) {
    // Every task spawned on a CLI spends a little of its windows, so the
    // snapshot moves as the session goes on.
    std::map<std::string, int> spent;
    for (const auto& t : ws.tasks) spent[t.cli] += 1;
    std::string text = "subscription quota (stand-in snapshot, " + moment_text(ws.now()) + "):";
    for (const auto& cli : cli_table()) {
        text += "\n" + std::string(cli.id) + " (" + std::string(cli.display_name) + ")";
        if (!cli.installed) {
            text += "\n  no number: CLI not installed";
            continue;
        }
        if (!cli.authenticated) {
            text += "\n  no number: no login";
            continue;
        }
        if (!cli.usd_per_million_input) {
            text += "\n  no number: no readable source";
            continue;
        }
        const int tasks = spent[std::string(cli.id)];
        const int five_hours = std::max(0, 92 - 9 * tasks);
        const int weekly = std::max(0, 78 - 3 * tasks);
        text += "\n  5-hour window  " + bar(five_hours) + " " + std::to_string(five_hours) + "% left";
        text += "\n  weekly         " + bar(weekly) + " " + std::to_string(weekly) + "% left";
    }
    return {{"renderedSnapshot", text}};
}

namespace {

bool is_kebab_id(const std::string& id) {
    if (id.empty() || id.front() == '-' || id.back() == '-' || id.size() > 64) return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const char c = id[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c == '-' && id[i - 1] != '-');
        if (!ok) return false;
    }
    return true;
}

}  // namespace

tv::Json install_skill_command(Workstation& ws, Terminal&, const tv::Json& body) {
    const std::string& id = text_member(body, "id");
    const std::string& name = words_member(body, "name");
    const std::string& description = words_member(body, "description");
    const auto tags = text_list_member(body, "tags");
    const std::string& content = words_member(body, "content");
    if (!is_kebab_id(id))
        refuse("the skill id \"" + id +
               "\" is not kebab-case (lower-case letters and digits joined by single hyphens)");
    for (const auto& e : ws.catalog) {
        if (e.id == id) refuse("the catalog already has an entry with the id \"" + id + "\"");
    }
    // Content only: a path would let a skill read files the app never saw.
    if (content.rfind("/", 0) == 0 && content.find('\n') == std::string::npos) {
        refuse("install-skill takes the instructions themselves, not a path to a skill directory");
    }
    ws.catalog.push_back({"skill", id, name, description, tags, content});
    return {{"skillId", id}, {"skillName", name}};
}

}  // namespace devapp
