#include "render/lifecycle.h"

#include "render/text_parts.h"
#include "values/join.h"

namespace tv {
std::vector<std::string> routing_parts(Value v) {
    std::vector<std::string> parts;
    for (const char* key : {"model", "effort", "category"}) {
        const Value member = read_property(v, key);
        if (is_present(member)) parts.push_back(std::string(key) + " " + value_text(member));
    }
    return parts;
}

std::vector<std::string> warning_lines(const JsonNode& reply) {
    std::vector<std::string> lines;
    const Value warnings = read_property(reply, "mcpWarnings");
    if (warnings == nullptr || !warnings->is_array()) return lines;
    for (const JsonNode& warning : *warnings) {
        if (warning.is_string()) lines.push_back("warning: " + std::string(warning.text()));
    }
    return lines;
}

std::string render_spawn(const JsonNode& reply) {
    std::vector<std::string> parts = routing_parts(&reply);
    const Value cli = read_property(reply, "cliId");
    if (is_present(cli)) parts.insert(parts.begin(), "cli " + value_text(cli));
    const std::string routing = parts.empty() ? "" : " (" + join(parts, ", ") + ")";

    std::vector<std::string> lines = {"subterminal created: " + member_text(reply, "terminalName") + routing};
    const Value image_tool = read_property(reply, "imageTool");
    if (is_present(image_tool)) {
        lines.push_back("image tool for this task: " + value_text(image_tool) +
                        " (the CLI above only runs its command)");
    }
    const Value fallback = read_property(reply, "fallbackReason");
    if (is_present(fallback)) lines.push_back("leaderboard routing: " + value_text(fallback));
    for (std::string& line : warning_lines(reply)) lines.push_back(std::move(line));
    return join(lines, "\n");
}

std::string render_send(const JsonNode& reply) {
    std::vector<std::string> lines = {"message sent"};
    for (std::string& line : warning_lines(reply)) lines.push_back(std::move(line));
    return join(lines, "\n");
}

std::string render_standby(const JsonNode& reply) {
    const std::string name = member_text(reply, "terminalName");
    return "subterminal moved to standby: " + name +
           " (pane hidden; same live CLI context preserved; resume it without a task with "
           "\"tarvolt-ctl resume --terminal " +
           name + "\")";
}

std::string render_resume(const JsonNode& reply) {
    return "subterminal resumed: " + member_text(reply, "terminalName") + " (" + member_text(reply, "status") +
           "; same live CLI and prior context restored; no task was assigned)";
}

std::string render_close(const JsonNode& reply) {
    const std::string name = member_text(reply, "terminalName");
    if (is_string(read_property(reply, "disposition"), "standby")) {
        return "subterminal moved to standby: " + name +
               " (same live CLI context preserved; close this standby name again to terminate it)";
    }
    return "subterminal terminated: " + name + " (its live CLI context is no longer recoverable)";
}

}  // namespace tv
