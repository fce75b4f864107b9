// brief: the orientation sheet, built from the live workstation.
#include "commands.h"

namespace devapp {
namespace {

tv::Json development_profile() {
    const tv::Json claude = {{"cliId", "claude"},
                             {"models", tv::Json::array({{{"model", "claude-sonnet-4-5"}, {"effort", "medium"}}})}};
    const tv::Json codex = {{"cliId", "codex"},
                            {"models", tv::Json::array({{{"model", "gpt-5-codex"}, {"effort", "high"}},
                                                        {{"model", "gpt-5-codex"}, {"effort", "medium"}}})}};
    return {{"label", "Balanced"},
            {"id", "balanced"},
            {"modelSelection",
             {{"selectedByCli", tv::Json::array({claude, codex})},
              {"unselectedCliIds", tv::Json::array({"kimi", "grok", "opencode", "qwen"})}}}};
}

tv::Json category_entry(const Category& c) {
    tv::Json e = {{"id", std::string(c.id)}, {"leaderLabel", leader_label(c)}};
    if (!c.profile_reason.empty()) e["profileReason"] = std::string(c.profile_reason);
    e["generatesImages"] = c.generates_images;
    const CliInfo* leader = find_cli(c.leader_cli);
    const std::string why = cli_unavailable_reason(*leader);
    if (!why.empty() && !c.generates_images) {
        e["fallbackReason"] = why;
        e["cliId"] = nullptr;
        return e;
    }
    e["cliId"] = std::string(c.leader_cli);
    e["model"] = std::string(c.leader_model);
    e["effort"] = std::string(c.leader_effort);
    if (c.usd_per_task) e["usdPerTask"] = *c.usd_per_task;
    return e;
}

}  // namespace

tv::Json brief_command(Workstation& ws, Terminal& caller, const tv::Json&) {
    tv::Json terminals = tv::Json::array();
    for (const auto& t : ws.terminals) {
        if (t.live()) terminals.push_back(terminal_entry(t));
    }
    tv::Json categories = tv::Json::array();
    for (const auto& c : category_table()) categories.push_back(category_entry(c));
    tv::Json catalog = tv::Json::array();
    for (const auto& e : ws.catalog) {
        catalog.push_back({{"kind", e.kind}, {"id", e.id}, {"name", e.name}, {"description", e.description}});
    }
    const bool orchestrator = caller.role == Role::orchestrator;
    tv::Json reply = tv::Json::object();
    reply["build"] = {{"version", "tarvolt-devapp (stand-in)"}, {"commit", "none"}, {"builtAt", __DATE__ " " __TIME__}};
    reply["workstationName"] = ws.name;
    reply["folderPath"] = ws.settings.folder;
    reply["callerName"] = caller.name;
    reply["callerRole"] = orchestrator ? "orchestrator" : "subagent";
    reply["defaultCliId"] = std::string(default_cli_id);
    reply["autonomousMode"] = false;
    reply["developmentProfile"] = development_profile();
    reply["terminals"] = terminals;
    reply["categories"] = categories;
    reply["catalog"] = catalog;
    tv::Json protocol = tv::Json::array();
    for (const auto line : protocol_lines(orchestrator)) protocol.push_back(std::string(line));
    reply["protocol"] = protocol;
    return reply;
}

}  // namespace devapp
