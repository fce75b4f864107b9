#include "dispatch.h"

#include "commands.h"
#include "refusal.h"
#include "request_members.h"
#include "values/join.h"

#include <array>
#include <exception>

namespace devapp {
namespace {

struct Row {
    std::string_view name;
    Handler handler;
    bool orchestrator_only;
    bool changes_ledger;
};

constexpr auto rows = std::to_array<Row>({
    {"spawn", spawn_command, false, true},
    {"send", send_command, false, true},
    {"standby", standby_command, true, true},
    {"resume", resume_command, true, true},
    {"close", close_command, true, true},
    {"merge", merge_command, true, true},
    {"done", done_command, false, true},
    {"progress", progress_command, false, true},
    {"image", image_command, false, true},
    {"video", video_command, false, true},
    {"artifact", artifact_command, false, true},
    {"request", request_command, true, true},
    {"history", history_command, false, false},
    {"list", list_command, false, false},
    {"status", status_command, false, false},
    {"inbox", inbox_command, false, false},
    {"ack", ack_command, false, true},
    {"note", note_command, false, true},
    {"brief", brief_command, false, false},
    {"skills", skills_command, false, false},
    {"models", models_command, false, false},
    {"quota", quota_command, false, false},
    {"install-skill", install_skill_command, true, true},
});

std::string known_commands() {
    std::string out;
    tv::Joiner names(out, ", ");
    for (const auto& r : rows) names.add(r.name);
    return out;
}

// Reading steps change nothing worth keeping; everything else goes to the
// journal with the request's own members.
bool worth_journaling(const Row& row, const tv::Json& body) {
    if (!row.changes_ledger) return false;
    if (row.name == "progress") {
        return body.contains("point") || body.contains("uncommitted") || body.contains("nextStep") ||
               body.contains("discarded");
    }
    if (row.name == "image" || row.name == "video") {
        const auto phase = body.find("phase");
        return phase != body.end() && phase->is_string() && *phase != "sources" && *phase != "plan" &&
               *phase != "api-poll";
    }
    return true;
}

std::string label_of(const tv::Json& body) {
    std::string label;
    const auto text = [&](const char* key) -> std::string {
        const auto it = body.find(key);
        return it != body.end() && it->is_string() ? it->get<std::string>() : "?";
    };
    label = text("from") + " " + text("command");
    if (body.contains("phase")) label += " " + text("phase");
    return label;
}

}  // namespace

std::string refusal_body(const std::string& error) {
    return tv::to_compact_text(tv::Json{{"ok", false}, {"error", error}});
}

ControlAnswer answer_control_request(Workstation& ws, std::string_view body_text) {
    ControlAnswer answer;
    tv::Json body;
    try {
        tv::JsonParse parsed = tv::parse_json(body_text);
        if (!parsed.value) {
            answer.http_status = 400;
            answer.summary = "(not JSON) -> refused";
            answer.body = refusal_body("the request body is not JSON: " + parsed.error);
            return answer;
        }
        body = std::move(*parsed.value);
        if (!body.is_object()) {
            answer.http_status = 400;
            answer.summary = "(not an object) -> refused";
            answer.body = refusal_body("the request body must be a JSON object with \"command\" and \"from\"");
            return answer;
        }
        answer.summary = label_of(body);
        const std::string& command = text_member(body, "command");
        const Row* row = nullptr;
        for (const auto& r : rows) {
            if (r.name == command) row = &r;
        }
        if (row == nullptr) refuse("unknown command \"" + command + "\"; this app knows: " + known_commands());
        ws.look_at_panes();
        Terminal& caller = ws.caller(text_member(body, "from"));
        if (row->orchestrator_only && caller.role != Role::orchestrator) {
            refuse(command + " is for the orchestrator only, and \"" + caller.name +
                   "\" is a subagent; ask the orchestrator with \"tarvolt-ctl send\" or put it in your report");
        }
        tv::Json members = row->handler(ws, caller, body);
        if (worth_journaling(*row, body)) {
            tv::Json entry = {{"at", moment_text(ws.now())}};
            for (const auto& [key, value] : body.items()) entry[key] = value;
            ws.journal.append(entry);
        }
        tv::Json reply = {{"ok", true}};
        for (const auto& [key, value] : members.items()) reply[key] = value;
        reply["pending"] = ws.pending_for(caller);
        answer.body = tv::to_compact_text(reply);
        answer.summary += " -> ok";
    } catch (const Refusal& r) {
        answer.body = refusal_body(r.message);
        answer.summary += " -> refused: " + r.message;
    } catch (const std::exception& e) {
        // A fault of the stand-in itself: answer it, keep serving.
        answer.http_status = 500;
        answer.body = refusal_body(std::string("the stand-in app failed on this request: ") + e.what());
        answer.summary += std::string(" -> failed: ") + e.what();
    }
    return answer;
}

}  // namespace devapp
