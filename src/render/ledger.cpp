#include "render/ledger.h"

#include "render/text_parts.h"
#include "values/guarded_list.h"
#include "values/join.h"
#include "values/value_text.h"

#include <vector>

namespace tv {
namespace {

// The fields of the marco you are replacing that this call left unmentioned.
std::string carried_body(const JsonNode& reply) {
    const std::string recorded = "progress recorded in the workstation ledger";
    const Value carried = read_property(reply, "carried");
    if (carried == nullptr || !carried->is_array() || carried->empty()) return recorded;
    std::vector<std::string> lines = {
        recorded,
        "kept from the marco you are replacing, because this call did not mention them:",
    };
    for (const JsonNode& c : *carried) {
        lines.push_back("  " + field_label(member_text(&c, "field")) + ": " + member_text(&c, "value") +
                        " (stated at " + member_text(&c, "at") + ")");
    }
    lines.push_back("retire one by passing it empty, like --next-step \"\"");
    return join(lines, "\n");
}

std::string marco_body(Value marco) {
    const std::string at = member_text(marco, "at");
    std::vector<std::string> lines = {"marco recorded at " + at, "point: " + member_text(marco, "point")};
    for (const std::string key : {"uncommitted", "nextStep", "discarded"}) {
        const std::string text = member_text(marco, key);
        if (text.empty()) continue;
        // A field stated together with the marco itself needs no time of its own.
        std::string stated;
        const Value stated_at = read_property(marco, key + "At");
        if (is_present_and_not_null(stated_at)) {
            const std::string stated_text = value_text(stated_at);
            if (stated_text != at) stated = " (stated at " + stated_text + ")";
        }
        lines.push_back(field_label(key) + ": " + text + stated);
    }
    return join(lines, "\n");
}

std::string panel_lines(const JsonNode& p) {
    const Value process = read_property(p, "terminalStatus");
    const Value task = read_property(p, "taskText");
    const Value task_status = read_property(p, "taskStatus");
    std::string line = "  " + member_text(&p, "name") + "  [" + member_text(&p, "role") + "]  " +
                       (is_not_null(process) ? value_text(process) : "no process") + "  " +
                       (is_not_null(task) ? "\"" + value_text(task) + "\"" : "no task recorded");
    if (is_not_null(task_status)) line += " [" + value_text(task_status) + "]";
    if (is_truthy(read_property(p, "reportUnread"))) line += "  REPORT NOT READ";
    const Value point = read_property(p, "progressPoint");
    if (is_not_null(point)) line += "\n    marco: " + value_text(point);
    return line;
}

}  // namespace

std::string field_label(std::string_view key) {
    return key == "nextStep" ? std::string("next step") : std::string(key);
}

std::string render_done(const JsonNode& reply) {
    if (is_false(read_property(reply, "delivered"))) {
        return "report saved in the workstation ledger, but it did NOT reach the orchestrator terminal; it is "
               "waiting in its inbox. This terminal stays visible and idle until the orchestrator accepts it, "
               "then moves to standby";
    }
    return "report delivered to the orchestrator; this terminal stays visible and idle until the orchestrator "
           "accepts it, then moves to standby";
}

std::string render_progress(const JsonNode& reply) {
    const Value marco = read_property(reply, "marco");
    if (marco == nullptr) return carried_body(reply);
    if (marco->is_null()) {
        return "no marco recorded yet; record one with \"tarvolt-ctl progress --point <where you are>\"";
    }
    return marco_body(marco);
}

std::string render_artifact(const JsonNode& reply) {
    return "artifact declared: " + member_text(&reply, "path") + " (" + member_text(&reply, "bytes") + " bytes, kind " +
           member_text(&reply, "kind") + ")";
}

std::string render_request(const JsonNode&) { return "user request recorded in the workstation ledger"; }

std::string render_note(const JsonNode&) { return "note recorded in the workstation ledger"; }

std::string render_inbox(const JsonNode& reply) {
    const JsonNode& reports = counted_list(&reply, "reports", "responseBody.reports is not iterable");
    if (reports.empty()) return "no unread report";
    std::vector<std::string> lines;
    for (const JsonNode& r : reports) {
        lines.push_back("--- report " + member_text(&r, "reportId") + " from " + member_text(&r, "from") + " at " +
                        member_text(&r, "at"));
        const Value task = read_property(r, "taskText");
        if (is_not_null(task)) lines.push_back("task: " + value_text(task));
        const Value issue = read_property(r, "issue");
        lines.push_back(is_present(issue) ? "(unavailable: " + value_text(issue) + ")" : member_text(&r, "text"));
        lines.push_back("");
    }
    lines.push_back("acknowledge them with \"tarvolt-ctl ack\" once you have read them");
    return join(lines, "\n");
}

std::string render_ack(const JsonNode& reply) {
    const JsonNode& ids =
        counted_list(&reply, "acknowledgedReportIds", "responseBody.acknowledgedReportIds.length is not a number");
    if (ids.empty()) return "no report needed acknowledging";

    struct Clause {
        const char* key;
        const char* lead;
    };
    static constexpr Clause clauses[] = {
        {"closedTerminalNames", "; closed for good, their work is in your worktree: "},
        {"closedWithoutCommitsTerminalNames", "; closed for good, no commits on their branch: "},
        {"closedInPlainFolderTerminalNames",
         "; closed for good, they worked directly in your folder and there was nothing to merge: "},
        {"keptTerminalNames", "; still open because their work did not reach your worktree: "},
    };
    // Every list is checked before any text is built, so a bad one late in
    // the order still wins over a good one before it.
    std::vector<const JsonNode*> lists;
    for (const Clause& clause : clauses) {
        const std::string key = clause.key;
        lists.push_back(&counted_list(&reply, key, "responseBody." + key + ".join is not a function"));
    }
    std::string line = "acknowledged " + std::to_string(ids.size()) + " report(s)";
    for (std::size_t i = 0; i < lists.size(); ++i) {
        if (!lists[i]->empty()) line += clauses[i].lead + join_texts(*lists[i]);
    }
    return line;
}

std::string render_status(const JsonNode& reply) {
    std::vector<std::string> lines = {"workstation: " + member_text(&reply, "workstationName")};
    const Value worktree = read_property(reply, "worktreePath");
    if (is_not_null(worktree)) {
        const Value branch = read_property(reply, "branchName");
        const Value head = read_property(reply, "headCommit");
        const std::string on = is_not_null(branch) ? " on " + value_text(branch) : "";
        const std::string at = is_not_null(head) ? " at " + value_text(head) : "";
        lines.push_back("worktree: " + value_text(worktree) + on + at);
    }
    lines.push_back("");
    lines.push_back("panels:");
    const JsonNode& panels = counted_list(&reply, "panels", "responseBody.panels is not iterable");
    if (panels.empty()) lines.push_back("  (none)");
    for (const JsonNode& p : panels) lines.push_back(panel_lines(p));
    return join(lines, "\n");
}

}  // namespace tv
