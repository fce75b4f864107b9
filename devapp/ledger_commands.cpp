// done, progress, artifact, request, note, inbox, ack and status: the
// delegation ledger of the workstation.
#include "commands.h"
#include "output_paths.h"
#include "refusal.h"
#include "request_members.h"
#include "sim_hash.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace devapp {
namespace {

std::string first_line(const std::string& text, std::size_t limit) {
    std::string line = text.substr(0, text.find('\n'));
    if (line.size() > limit) line = line.substr(0, limit);
    return line;
}

Task& own_task(Workstation& ws, Terminal& caller, const char* what) {
    if (!caller.task) refuse(std::string(what) + " belongs to a task, and \"" + caller.name + "\" was given none");
    return ws.tasks[*caller.task];
}

}  // namespace

tv::Json done_command(Workstation& ws, Terminal& caller, const tv::Json& body) {
    const std::string& text = words_member(body, "report");
    if (caller.role == Role::orchestrator) {
        refuse("done delivers a subagent's report to its orchestrator; the orchestrator has nobody to report to");
    }
    Task& task = own_task(ws, caller, "a report");
    Report report;
    report.id = "r" + std::to_string(ws.reports.size() + 1);
    report.from = caller.name;
    report.at = moment_text(ws.now());
    report.task = *caller.task;
    report.text = text;
    ws.reports.push_back(report);

    task.state = TaskState::reported;
    task.ended = ws.now();
    task.words_out += words_of(text).size();
    // Work the marco still calls uncommitted never reaches a commit, so the
    // orchestrator's acceptance will leave this pane open.
    const bool uncommitted = caller.marco && !caller.marco->uncommitted.empty();
    if (!uncommitted) {
        const std::string subject = first_line(text, 72);
        task.commits.push_back({fake_sha(caller.name + "\n" + text + "\n" + report.id), subject});
    }
    if (caller.status != PaneStatus::standby) caller.status = PaneStatus::idle;
    return {{"delivered", true}, {"reportId", report.id}};
}

tv::Json progress_command(Workstation& ws, Terminal& caller, const tv::Json& body) {
    const auto point = optional_text_member(body, "point");
    const auto uncommitted = optional_text_member(body, "uncommitted");
    const auto next_step = optional_text_member(body, "nextStep");
    const auto discarded = optional_text_member(body, "discarded");

    if (!point && !uncommitted && !next_step && !discarded) {
        if (!caller.marco) return {{"marco", nullptr}};
        const Marco& m = *caller.marco;
        tv::Json marco = {{"at", m.at},
                          {"point", m.point},
                          {"uncommitted", m.uncommitted},
                          {"nextStep", m.next_step},
                          {"discarded", m.discarded},
                          {"uncommittedAt", m.uncommitted_at},
                          {"nextStepAt", m.next_step_at},
                          {"discardedAt", m.discarded_at}};
        return {{"marco", marco}};
    }
    if (!point && !caller.marco) refuse("a first marco needs --point: say where this panel is");

    const std::string now = moment_text(ws.now());
    const Marco before = caller.marco.value_or(Marco{});
    Marco after;
    after.at = now;
    tv::Json carried = tv::Json::array();
    if (point) {
        after.point = *point;
    } else {
        after.point = before.point;
        carried.push_back({{"field", "point"}, {"value", before.point}, {"at", before.at}});
    }
    // A field this call does not mention keeps what the last marco said, with
    // the moment it was said; an empty value retires it.
    const auto carry = [&](const std::optional<std::string>& given, const char* key, const std::string& old_value,
                           const std::string& old_at, std::string& value, std::string& at) {
        if (given) {
            value = *given;
            at = now;
        } else {
            value = old_value;
            at = old_at;
            if (!old_value.empty()) carried.push_back({{"field", key}, {"value", old_value}, {"at", old_at}});
        }
    };
    carry(uncommitted, "uncommitted", before.uncommitted, before.uncommitted_at, after.uncommitted,
          after.uncommitted_at);
    carry(next_step, "nextStep", before.next_step, before.next_step_at, after.next_step, after.next_step_at);
    carry(discarded, "discarded", before.discarded, before.discarded_at, after.discarded, after.discarded_at);
    caller.marco = after;
    return {{"carried", carried}};
}

tv::Json artifact_command(Workstation& ws, Terminal& caller, const tv::Json& body) {
    const std::string& given = words_member(body, "path");
    const auto kind = optional_text_member(body, "kind");
    if (kind && *kind != "image" && *kind != "video" && *kind != "build" && *kind != "file") {
        refuse("invalid kind \"" + *kind + "\"; use one of: image, video, build, file");
    }
    if (given.find('\0') != std::string::npos) refuse("the path holds a NUL character");
    Task& task = own_task(ws, caller, "an artifact");
    // A relative path is read from the workstation folder, where the panes work.
    std::filesystem::path path(given);
    if (path.is_relative()) path = std::filesystem::path(ws.settings.folder) / path;
    path = path.lexically_normal();
    if (!leads_inside(ws.settings.folder, path)) {
        refuse("--path must name a file inside the workstation folder " + ws.settings.folder + "; \"" + given +
               "\" leads outside it");
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) refuse("no regular file at " + path.string());
    const std::uintmax_t bytes = std::filesystem::file_size(path, ec);
    if (ec) refuse("could not read the size of " + path.string() + ": " + ec.message());

    std::string inferred = "file";
    const std::string ext = path.extension().string();
    if (ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".webp") inferred = "image";
    if (ext == ".y4m" || ext == ".mp4" || ext == ".webm") inferred = "video";
    Artifact a{path.string(), bytes, kind ? *kind : inferred};
    task.artifacts.push_back(a);
    return {{"path", a.path}, {"bytes", a.bytes}, {"kind", a.kind}};
}

tv::Json request_command(Workstation& ws, Terminal&, const tv::Json& body) {
    const std::string& summary = words_member(body, "summary");
    ws.requests.push_back({summary, ws.now()});
    return {{"requestId", "q" + std::to_string(ws.requests.size())}};
}

tv::Json note_command(Workstation& ws, Terminal& caller, const tv::Json& body) {
    const std::string& text = words_member(body, "text");
    const auto kind = optional_text_member(body, "kind");
    if (kind && *kind != "plan" && *kind != "decision" && *kind != "question" && *kind != "summary") {
        refuse("invalid kind \"" + *kind + "\"; use one of: plan, decision, question, summary");
    }
    ws.notes.push_back(
        {{"from", caller.name}, {"at", moment_text(ws.now())}, {"kind", kind ? *kind : "note"}, {"text", text}});
    return {{"noteId", "n" + std::to_string(ws.notes.size())}};
}

tv::Json inbox_command(Workstation& ws, Terminal& caller, const tv::Json&) {
    tv::Json reports = tv::Json::array();
    if (caller.role == Role::orchestrator) {
        for (const auto& r : ws.reports) {
            if (r.acknowledged) continue;
            reports.push_back({{"reportId", r.id},
                               {"from", r.from},
                               {"at", r.at},
                               {"taskText", ws.tasks[r.task].text},
                               {"text", r.text}});
        }
    }
    return {{"reports", reports}};
}

tv::Json ack_command(Workstation& ws, Terminal& caller, const tv::Json& body) {
    const auto only = optional_text_member(body, "reportId");
    tv::Json ids = tv::Json::array();
    tv::Json closed = tv::Json::array();
    tv::Json kept = tv::Json::array();
    if (caller.role == Role::orchestrator) {
        if (only) {
            bool found = false;
            for (const auto& r : ws.reports) found = found || (r.id == *only && !r.acknowledged);
            if (!found) refuse("no unread report \"" + *only + "\"; \"tarvolt-ctl inbox\" lists the unread ones");
        }
        for (auto& r : ws.reports) {
            if (r.acknowledged || (only && r.id != *only)) continue;
            r.acknowledged = true;
            ids.push_back(r.id);
            // Accepting a report takes the pane's commits into the worktree
            // and ends the pane; work that never got committed keeps it open.
            Task& task = ws.tasks[r.task];
            Terminal* pane = ws.find_terminal(task.terminal_name);
            if (pane == nullptr || !pane->live() || task.state != TaskState::reported) continue;
            if (task.commits.empty()) {
                if (std::find(kept.begin(), kept.end(), tv::Json(pane->name)) == kept.end()) kept.push_back(pane->name);
                continue;
            }
            task.merged = true;
            task.state = TaskState::accepted;
            for (const auto& c : task.commits) ws.unpublished.push_back(c);
            ws.head = fake_sha("merge " + task.commits.back().sha + " into " + ws.head);
            ws.panes->end(*pane);
            pane->status = PaneStatus::closed;
            closed.push_back(pane->name);
        }
    }
    return {{"acknowledgedReportIds", ids},
            {"closedTerminalNames", closed},
            {"closedWithoutCommitsTerminalNames", tv::Json::array()},
            {"closedInPlainFolderTerminalNames", tv::Json::array()},
            {"keptTerminalNames", kept}};
}

tv::Json status_command(Workstation& ws, Terminal&, const tv::Json&) {
    tv::Json panels = tv::Json::array();
    for (const auto& t : ws.terminals) {
        tv::Json p = tv::Json::object();
        p["name"] = t.name;
        p["role"] = t.role == Role::orchestrator ? "orchestrator" : "subagent";
        p["terminalStatus"] = t.live() ? tv::Json(pane_status_text(t.status)) : tv::Json(nullptr);
        bool unread = false;
        if (t.task) {
            const Task& task = ws.tasks[*t.task];
            p["taskText"] = task.text;
            p["taskStatus"] = task_state_text(task.state);
            for (const auto& r : ws.reports) unread = unread || (r.task == *t.task && !r.acknowledged);
        } else {
            p["taskText"] = nullptr;
            p["taskStatus"] = nullptr;
        }
        p["reportUnread"] = unread;
        p["progressPoint"] = t.marco ? tv::Json(t.marco->point) : tv::Json(nullptr);
        panels.push_back(std::move(p));
    }
    return {{"workstationName", ws.name},
            {"worktreePath", ws.settings.folder},
            {"branchName", ws.branch},
            {"headCommit", short_sha(ws.head)},
            {"panels", panels}};
}

}  // namespace devapp
