#include "render/list_brief.h"

#include "render/brief_profile.h"
#include "render/lifecycle.h"
#include "render/text_parts.h"
#include "values/guarded_list.h"
#include "values/join.h"
#include "values/value_text.h"

#include <string_view>

namespace tv {

namespace {

// "api-2  [subagent]  idle  (codex)  model m1, effort high"
std::string terminal_line(const JsonNode& t) {
    const std::vector<std::string> parts = routing_parts(&t);
    return member_text(t, "name") + "  [" + member_text(t, "role") + "]  " + member_text(t, "status") + "  (" +
           member_text(t, "cliId") + ")" + (parts.empty() ? "" : "  " + join(parts, ", "));
}

std::vector<std::string> subagents_in(const JsonNode& terminals, std::string_view status) {
    std::vector<std::string> names;
    for (const JsonNode& t : terminals) {
        if (is_string(read_property(t, "role"), "subagent") && is_string(read_property(t, "status"), status)) {
            names.push_back(member_text(t, "name"));
        }
    }
    return names;
}

std::string category_line(const JsonNode& c) {
    const std::string head = "  " + member_text(c, "id") + ": " + member_text(c, "leaderLabel") + " -> ";
    const Value profile_reason = read_property(c, "profileReason");
    const std::string reason = is_present(profile_reason) ? "  (" + value_text(profile_reason) + ")" : "";
    if (is_true(read_property(c, "generatesImages"))) {
        return head +
               "image tool resolved at spawn (never a text model; the spawn fails if no tool is "
               "authenticated)" +
               reason;
    }
    const Value cli = read_property(c, "cliId");
    if (is_present(cli) && cli->is_null()) {
        return head + "no runnable CLI on this machine (spawn will fall back)" + reason;
    }

    std::vector<std::string> parts{"cli " + value_text(cli)};
    if (const Value model = read_property(c, "model")) parts.push_back("model " + value_text(model));
    if (const Value effort = read_property(c, "effort")) parts.push_back("effort " + value_text(effort));
    if (const Value usd = read_property(c, "usdPerTask")) parts.push_back("US$ " + value_text(usd) + "/task");
    const Value fallback_reason = read_property(c, "fallbackReason");
    const std::string fallback = is_present(fallback_reason) ? "  [fallback: " + value_text(fallback_reason) + "]" : "";
    return head + join(parts, ", ") + reason + fallback;
}

void append_header(const JsonNode& reply, std::vector<std::string>& lines) {
    const Value build = nested_holder(&reply, "build", "version");
    lines.push_back("app build: " + value_text(read_property(build, "version")) + " \u00b7 commit " +
                    value_text(read_property(build, "commit")) + " \u00b7 built " +
                    value_text(read_property(build, "builtAt")));
    lines.push_back("workstation: " + member_text(reply, "workstationName"));
    lines.push_back("folder: " + member_text(reply, "folderPath"));
    lines.push_back("you are: " + member_text(reply, "callerName") + " [" + member_text(reply, "callerRole") + "]");
    lines.push_back("default CLI: " + member_text(reply, "defaultCliId") +
                    "  autonomous mode: " + (is_truthy(read_property(reply, "autonomousMode")) ? "on" : "off"));
}

}  // namespace

std::vector<std::string> idle_subagents(const JsonNode& terminals) { return subagents_in(terminals, "idle"); }
std::vector<std::string> standby_subagents(const JsonNode& terminals) { return subagents_in(terminals, "standby"); }

std::string render_list(const JsonNode& reply) {
    const JsonNode& terminals = counted_list(&reply, "terminals", "responseBody.terminals.map is not a function");
    if (terminals.empty()) return "no live terminal";
    std::vector<std::string> lines;
    for (const JsonNode& t : terminals) lines.push_back(terminal_line(t));
    const std::vector<std::string> idle = idle_subagents(terminals);
    if (!idle.empty()) {
        lines.push_back("");
        lines.push_back("idle (awaiting acceptance or ready for a task): " + join(idle, ", "));
    }
    const std::vector<std::string> standby = standby_subagents(terminals);
    if (!standby.empty()) {
        lines.push_back("");
        lines.push_back("standby (hidden, exact context preserved in " + std::to_string(standby.size()) +
                        " live CLI process(es); resume by name without a task, send by name to resume and "
                        "message, close by name to terminate): " +
                        join(standby, ", "));
    }
    return join(lines, "\n");
}

// Blocks are checked in the order they print, so a bad later list throws
// away the lines already built and nothing half-made reaches the reader.
std::string render_brief(const JsonNode& reply) {
    std::vector<std::string> lines;
    append_header(reply, lines);
    append_profile_lines(reply, lines);

    lines.insert(lines.end(), {"", "terminals:"});
    const JsonNode& terminals = counted_list(&reply, "terminals", "responseBody.terminals is not iterable");
    if (terminals.empty()) lines.push_back("  (none)");
    for (const JsonNode& t : terminals) lines.push_back("  " + terminal_line(t));

    lines.insert(lines.end(), {"", "routing categories (leaderboard leaders):"});
    for (const JsonNode& c : walked_list(&reply, "categories")) lines.push_back(category_line(c));

    lines.insert(lines.end(), {"", "catalog index (details per task via \"tarvolt-ctl skills --for\"):"});
    const JsonNode& catalog = counted_list(&reply, "catalog", "responseBody.catalog is not iterable");
    if (catalog.empty()) lines.push_back("  (empty)");
    for (const JsonNode& e : catalog) {
        lines.push_back("  [" + member_text(e, "kind") + "] " + member_text(e, "id") + ": " + member_text(e, "name") +
                        " - " + member_text(e, "description"));
    }

    lines.insert(lines.end(), {"", "protocol:"});
    for (const JsonNode& p : walked_list(&reply, "protocol")) lines.push_back("  " + value_text(p));
    return join(lines, "\n");
}

}  // namespace tv
