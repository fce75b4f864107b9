#include "workstation.h"

#include "refusal.h"
#include "sim_hash.h"

#include <filesystem>

namespace devapp {

Workstation::Workstation(Settings s, std::unique_ptr<PaneHost> host)
    : settings(std::move(s)),
      name(std::filesystem::path(settings.folder).filename().string()),
      catalog(builtin_catalog()),
      branch("tarvolt/" + name),
      head(fake_sha("initial commit of " + settings.folder)),
      journal(settings.folder + "/.tarvolt/journal.jsonl"),
      panes(std::move(host)) {
    Terminal orchestrator;
    orchestrator.name = settings.orchestrator;
    orchestrator.panel_id = "p0";
    orchestrator.role = Role::orchestrator;
    orchestrator.status = PaneStatus::running;
    orchestrator.cli = std::string(default_cli_id);
    orchestrator.model = std::string(find_cli(default_cli_id)->models.front());
    orchestrator.effort = "high";
    terminals.push_back(std::move(orchestrator));
}

WallTime Workstation::now() const { return std::chrono::system_clock::now(); }

Terminal* Workstation::find_terminal(std::string_view wanted) {
    for (auto& t : terminals) {
        if (t.name == wanted) return &t;
    }
    return nullptr;
}

Terminal& Workstation::caller(std::string_view from) {
    Terminal* t = find_terminal(from);
    if (t == nullptr) {
        refuse("no pane named \"" + std::string(from) +
               "\" in this workstation; TARVOLT_TERMINAL_NAME must name a pane of this app (\"tarvolt-ctl list\" shows "
               "them)");
    }
    if (!t->live()) refuse("the pane \"" + std::string(from) + "\" was closed; its CLI process is gone");
    return *t;
}

Terminal& Workstation::live_terminal(std::string_view wanted) {
    Terminal* t = find_terminal(wanted);
    if (t == nullptr || !t->live()) {
        refuse("no live terminal named \"" + std::string(wanted) + "\"; \"tarvolt-ctl list\" shows them");
    }
    return *t;
}

std::size_t Workstation::unread_reports() const {
    std::size_t n = 0;
    for (const auto& r : reports) n += r.acknowledged ? 0 : 1;
    return n;
}

std::size_t Workstation::running_tasks() const {
    std::size_t n = 0;
    for (const auto& t : tasks) n += t.state == TaskState::working ? 1 : 0;
    return n;
}

tv::Json Workstation::pending_for(const Terminal& who) const {
    // Reports and running tasks wait for the orchestrator; a subagent has
    // nothing waiting for it.
    const bool orchestrator = who.role == Role::orchestrator;
    tv::Json pending = tv::Json::object();
    pending["unreadReports"] = orchestrator ? unread_reports() : 0;
    pending["runningTasks"] = orchestrator ? running_tasks() : 0;
    pending["degraded"] = journal.degraded();
    return pending;
}

void Workstation::look_at_panes() {
    for (const auto& [name, life] : panes->look()) {
        Terminal* t = find_terminal(name);
        // The orchestrator is whoever holds its variables, in its window or not.
        if (t == nullptr || !t->live() || t->role == Role::orchestrator || life == PaneLife::alive) continue;
        if (life == PaneLife::exited) {
            if (t->status == PaneStatus::running || t->status == PaneStatus::idle) t->status = PaneStatus::exited;
            continue;
        }
        t->status = PaneStatus::closed;
        if (t->task && tasks[*t->task].state == TaskState::working) {
            tasks[*t->task].state = TaskState::ended_without_report;
            tasks[*t->task].ended = now();
        }
    }
}

std::string task_state_text(TaskState s) {
    switch (s) {
        case TaskState::working:
            return "working";
        case TaskState::reported:
            return "reported";
        case TaskState::accepted:
            return "accepted";
        case TaskState::ended_without_report:
            return "ended without a report";
    }
    return "";
}

std::string pane_status_text(PaneStatus s) {
    switch (s) {
        case PaneStatus::running:
            return "running";
        case PaneStatus::idle:
            return "idle";
        case PaneStatus::standby:
            return "standby";
        case PaneStatus::closed:
            return "closed";
        case PaneStatus::exited:
            return "exited";
    }
    return "";
}

std::string short_sha(const std::string& sha) { return sha.substr(0, 7); }

}  // namespace devapp
