// The simulated workstation: panes, tasks, the ledger, made-up commits and media jobs.
#pragma once

#include "catalog.h"
#include "clock_text.h"
#include "journal.h"
#include "media_sources.h"
#include "pane_host.h"
#include "values/json.h"

#include <chrono>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace devapp {

// The last milestone a pane recorded. Each optional field keeps the moment it
// was stated, so a later marco can carry it over with its own date.
struct Marco {
    std::string at;
    std::string point;
    std::string uncommitted, uncommitted_at;
    std::string next_step, next_step_at;
    std::string discarded, discarded_at;
};

struct Commit {
    std::string sha;
    std::string subject;
};

struct Artifact {
    std::string path;
    std::uintmax_t bytes = 0;
    std::string kind;
};

enum class TaskState { working, reported, accepted, ended_without_report };

struct Task {
    std::string id;  // "t1"
    std::string text;
    std::string terminal_name;
    std::string panel_id;
    std::string cli, model, category, complexity;
    std::optional<std::size_t> request;  // index into requests
    TaskState state = TaskState::working;
    WallTime started;
    std::optional<WallTime> ended;
    std::size_t words_in = 0;   // what the pane was told, for the token estimate
    std::size_t words_out = 0;  // what it answered
    std::vector<Commit> commits;
    bool merged = false;
    std::vector<Artifact> artifacts;
};

enum class Role { orchestrator, subagent };

// exited: the command in a real pane ended; its window stays for its last output.
enum class PaneStatus { running, idle, standby, closed, exited };

struct Terminal {
    std::string name;
    std::string panel_id;  // "p1"
    Role role = Role::subagent;
    PaneStatus status = PaneStatus::running;
    PaneStatus status_before_standby = PaneStatus::idle;
    std::string cli, model, effort, category;
    std::optional<std::size_t> task;  // index into tasks
    std::optional<Marco> marco;
    std::vector<std::string> messages;

    bool live() const { return status != PaneStatus::closed; }
};

struct Report {
    std::string id;  // "r1"
    std::string from;
    std::string at;
    std::size_t task = 0;
    std::string text;
    bool acknowledged = false;
};

struct UserRequest {
    std::string summary;
    WallTime at;
};

struct MediaJob {
    std::string id;    // "img-1", "vid-1"
    std::string kind;  // "image" or "video"
    std::string api_id;
    std::string model;
    std::string prompt;
    std::string path;
    Behaviour behaviour = Behaviour::works;
    int polls_needed = 2;
    int polls_counted = 0;
    std::chrono::milliseconds interval{0};  // polls closer together than this do not count
    std::chrono::steady_clock::time_point last_counted;
    std::string status = "running";  // then "succeeded" or "failed"
    std::string detail;
};

struct Publication {
    std::string branch;
    std::string head;
    bool integrated = false;
};

struct Settings {
    std::string folder;        // absolute, symbolic links resolved
    std::string orchestrator;  // the name of the orchestrator pane
    std::string executable;    // this program, for the drawing tool's command line
    MediaSwitches media;
};

// One instance, guarded by the server's lock; every command handler reads
// and changes it.
struct Workstation {
    explicit Workstation(Settings s, std::unique_ptr<PaneHost> host = simulated_panes());

    Settings settings;
    std::string name;                // the folder's last part
    std::deque<Terminal> terminals;  // a deque keeps references valid while panes are added
    std::deque<Task> tasks;
    std::vector<Report> reports;
    std::vector<UserRequest> requests;
    std::vector<tv::Json> notes;
    std::vector<CatalogEntry> catalog;
    std::deque<MediaJob> jobs;
    std::set<std::string> planned_outputs;  // the only paths an API job may write

    std::string branch;
    std::string head;
    std::vector<Commit> unpublished;  // accepted since the last publication
    std::vector<Publication> publications;
    std::string version = "0.1.0";

    int spawned = 0;
    Journal journal;
    std::unique_ptr<PaneHost> panes;

    WallTime now() const;
    Terminal* find_terminal(std::string_view name);
    // The pane that sent a request; refuses a name this app never gave out
    // and a pane that was closed.
    Terminal& caller(std::string_view from);
    // A live pane named by the request; refuses anything else.
    Terminal& live_terminal(std::string_view name);
    std::size_t unread_reports() const;
    std::size_t running_tasks() const;
    tv::Json pending_for(const Terminal& caller) const;
    // Takes in what happened to the real panes: a command that exited, a
    // window killed from outside.
    void look_at_panes();
};

std::string task_state_text(TaskState s);
std::string pane_status_text(PaneStatus s);
std::string short_sha(const std::string& sha);

}  // namespace devapp
