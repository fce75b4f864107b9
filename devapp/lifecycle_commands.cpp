// spawn, send, standby, resume and close: the panes' lifecycle as the usage
// text tells it. A spawned pane runs its task; `done` leaves it idle; a first
// close (or standby) hides it with its process alive; a second close ends it.
#include "commands.h"
#include "refusal.h"
#include "request_members.h"

#include <algorithm>

namespace devapp {
namespace {

std::string joined(const auto& items) {
    std::string out;
    for (const auto& i : items) {
        if (!out.empty()) out += ", ";
        out += i;
    }
    return out;
}

template <typename List>
void check_one_of(const std::optional<std::string>& value, const char* what, const List& allowed) {
    if (!value) return;
    if (std::find(std::begin(allowed), std::end(allowed), *value) != std::end(allowed)) return;
    refuse("invalid " + std::string(what) + " \"" + *value + "\"; use one of: " + joined(allowed));
}

std::vector<std::string> category_ids() {
    std::vector<std::string> ids;
    for (const auto& c : category_table()) ids.emplace_back(c.id);
    return ids;
}

std::vector<std::string> cli_ids() {
    std::vector<std::string> ids;
    for (const auto& c : cli_table()) ids.emplace_back(c.id);
    return ids;
}

void check_catalog_ids(const Workstation& ws, const std::vector<std::string>& ids, const char* kind,
                       const std::string& task) {
    for (const auto& id : ids) {
        const bool known = std::any_of(ws.catalog.begin(), ws.catalog.end(),
                                       [&](const CatalogEntry& e) { return e.kind == kind && e.id == id; });
        if (!known) {
            refuse("unknown " + std::string(kind) + " id \"" + id + "\"; \"tarvolt-ctl skills --for \\\"" + task +
                   "\\\"\" lists the ones that fit");
        }
    }
}

void check_model(const CliInfo& cli, const std::string& model) {
    if (cli.disabled_models.contains(model)) {
        refuse("the model \"" + model + "\" is turned off for " + std::string(cli.id) + " on the setup screen");
    }
    if (!accepts_model(cli, model)) {
        refuse(std::string(cli.id) + " does not accept the model \"" + model + "\"; \"tarvolt-ctl models --cli " +
               std::string(cli.id) + "\" lists the ids it does");
    }
}

struct Routing {
    std::string cli, model, effort;
    std::optional<std::string> fallback_reason;
};

// --cli wins over everything; an explicit --model or --effort beats the
// ranking and lands on the workstation default CLI; otherwise the category's
// leader runs the task, or the default CLI when the leader cannot run here.
Routing route(const Category& category, const std::optional<std::string>& cli, const std::optional<std::string>& model,
              const std::optional<std::string>& effort, const std::optional<std::string>& complexity,
              const std::string& inferred_complexity) {
    Routing r;
    const CliInfo* chosen = nullptr;
    bool ranked = false;
    if (cli) {
        chosen = find_cli(*cli);
        const std::string why = cli_unavailable_reason(*chosen);
        if (!why.empty()) refuse("the spawn was refused before opening a terminal: " + why);
    } else if (model || effort) {
        chosen = find_cli(default_cli_id);
    } else if (category.generates_images) {
        // The pane only runs the image tool's command; its own CLI is the runner.
        chosen = find_cli(image_runner_cli_id);
        ranked = true;
    } else {
        chosen = find_cli(category.leader_cli);
        const std::string why = cli_unavailable_reason(*chosen);
        if (why.empty()) {
            ranked = true;
        } else {
            chosen = find_cli(default_cli_id);
            r.fallback_reason = "the leader " + leader_label(category) + " cannot run here (" + why +
                                "); the workstation default " + std::string(default_cli_id) + " runs this task";
        }
    }
    r.cli = std::string(chosen->id);
    if (model) {
        check_model(*chosen, *model);
        r.model = *model;
    } else {
        r.model = std::string(chosen->id == category.leader_cli ? category.leader_model : chosen->models.front());
    }
    if (effort) {
        r.effort = *effort;
    } else if (complexity) {
        r.effort = std::string(effort_for_complexity(*complexity));
    } else if (ranked) {
        r.effort = std::string(category.leader_effort);
    } else {
        r.effort = std::string(effort_for_complexity(inferred_complexity));
    }
    return r;
}

}  // namespace

tv::Json spawn_command(Workstation& ws, Terminal&, const tv::Json& body) {
    const std::string task_text = words_member(body, "task");
    const auto skills = text_list_member(body, "skillIds");
    const auto mcps = text_list_member(body, "mcpIds");
    const auto model = optional_text_member(body, "model");
    const auto cli = optional_text_member(body, "cli");
    const auto effort = optional_text_member(body, "effort");
    const auto category_id = optional_text_member(body, "category");
    const auto complexity = optional_text_member(body, "complexity");

    check_one_of(cli, "cli", cli_ids());
    check_one_of(complexity, "complexity", complexity_levels);
    check_one_of(category_id, "category", category_ids());
    check_one_of(effort, "effort", effort_levels);
    check_catalog_ids(ws, skills, "skill", task_text);
    check_catalog_ids(ws, mcps, "mcp", task_text);

    const Category& category = category_id ? *find_category(*category_id) : infer_category(task_text);
    const std::string level = complexity ? *complexity : infer_complexity(task_text);
    const Routing r = route(category, cli, model, effort, complexity, level);

    tv::Json warnings = tv::Json::array();
    for (const auto& id : mcps) {
        const std::string_view only = mcp_only_for(id);
        if (!only.empty() && only != r.cli) {
            warnings.push_back("MCP " + id + " is set up for " + std::string(only) + " only; this " + r.cli +
                               " subterminal starts without it");
        }
    }

    const int number = ws.spawned + 1;
    Task task;
    task.id = "t" + std::to_string(number);
    task.text = task_text;
    task.terminal_name = std::string(category.id) + "-" + std::to_string(number);
    task.panel_id = "p" + std::to_string(number);
    task.cli = r.cli;
    task.model = r.model;
    task.category = std::string(category.id);
    task.complexity = level;
    if (!ws.requests.empty()) task.request = ws.requests.size() - 1;
    task.started = ws.now();
    task.words_in = words_of(task_text).size();

    Terminal pane;
    pane.name = task.terminal_name;
    pane.panel_id = task.panel_id;
    pane.role = Role::subagent;
    pane.status = PaneStatus::running;
    pane.cli = r.cli;
    pane.model = r.model;
    pane.effort = r.effort;
    pane.category = task.category;
    pane.task = ws.tasks.size();
    pane.messages.push_back(task_text);
    ws.panes->open(pane, task_text);
    ws.spawned = number;
    ws.tasks.push_back(std::move(task));
    ws.terminals.push_back(std::move(pane));

    tv::Json reply = tv::Json::object();
    reply["terminalName"] = ws.terminals.back().name;
    reply["cliId"] = r.cli;
    reply["model"] = r.model;
    reply["effort"] = r.effort;
    reply["category"] = std::string(category.id);
    if (category.generates_images) reply["imageTool"] = "grok-imagine";
    if (r.fallback_reason) reply["fallbackReason"] = *r.fallback_reason;
    reply["mcpWarnings"] = warnings;
    return reply;
}

tv::Json send_command(Workstation& ws, Terminal& caller, const tv::Json& body) {
    const std::string& to = text_member(body, "to");
    const std::string& message = words_member(body, "message");
    Terminal& target = ws.live_terminal(to);
    if (&target == &caller) refuse("\"" + to + "\" is your own pane; send a message to another terminal");
    if (target.status == PaneStatus::exited) {
        refuse("the command in \"" + to + "\" has exited; its window keeps its last output until it is closed");
    }
    const bool resumed = target.status == PaneStatus::standby;
    if (resumed) ws.panes->show(target);
    ws.panes->type(target, message);
    // A message is work: a parked or idle subagent starts running again, and
    // a task it had reported is open again until its next report.
    if (target.role == Role::subagent) {
        target.status = PaneStatus::running;
        if (target.task) {
            Task& task = ws.tasks[*target.task];
            if (task.state == TaskState::reported || task.state == TaskState::accepted) {
                task.state = TaskState::working;
                task.ended.reset();
            }
            task.words_in += words_of(message).size();
        }
    }
    target.messages.push_back(message);
    tv::Json reply = tv::Json::object();
    reply["terminalName"] = target.name;
    reply["resumed"] = resumed;
    reply["mcpWarnings"] = tv::Json::array();
    return reply;
}

namespace {

Terminal& subagent_named(Workstation& ws, const tv::Json& body, const char* what) {
    Terminal& target = ws.live_terminal(text_member(body, "terminal"));
    if (target.role == Role::orchestrator) {
        refuse("\"" + target.name + "\" is the orchestrator's own pane; only subagents can be " + what);
    }
    return target;
}

}  // namespace

tv::Json standby_command(Workstation& ws, Terminal&, const tv::Json& body) {
    Terminal& target = subagent_named(ws, body, "moved to standby");
    if (target.status == PaneStatus::standby) {
        refuse("\"" + target.name + "\" is already in standby; bring it back with \"tarvolt-ctl resume --terminal " +
               target.name + "\"");
    }
    ws.panes->hide(target);
    target.status_before_standby = target.status;
    target.status = PaneStatus::standby;
    return {{"terminalName", target.name}};
}

tv::Json resume_command(Workstation& ws, Terminal&, const tv::Json& body) {
    Terminal& target = subagent_named(ws, body, "resumed");
    if (target.status != PaneStatus::standby) {
        refuse("\"" + target.name + "\" is not in standby (it is " + pane_status_text(target.status) +
               "); there is nothing to resume");
    }
    ws.panes->show(target);
    target.status = target.status_before_standby;
    return {{"terminalName", target.name}, {"status", pane_status_text(target.status)}};
}

tv::Json close_command(Workstation& ws, Terminal&, const tv::Json& body) {
    Terminal& target = subagent_named(ws, body, "closed");
    if (target.status != PaneStatus::standby) {
        ws.panes->hide(target);
        target.status_before_standby = target.status;
        target.status = PaneStatus::standby;
        return {{"disposition", "standby"}, {"terminalName", target.name}};
    }
    ws.panes->end(target);
    target.status = PaneStatus::closed;
    if (target.task) {
        Task& task = ws.tasks[*target.task];
        if (task.state == TaskState::working) {
            task.state = TaskState::ended_without_report;
            task.ended = ws.now();
        }
    }
    return {{"disposition", "terminated"}, {"terminalName", target.name}};
}

tv::Json terminal_entry(const Terminal& t) {
    tv::Json e = tv::Json::object();
    e["name"] = t.name;
    e["role"] = t.role == Role::orchestrator ? "orchestrator" : "subagent";
    e["status"] = pane_status_text(t.status);
    e["cliId"] = t.cli;
    e["model"] = t.model;
    e["effort"] = t.effort;
    if (!t.category.empty()) e["category"] = t.category;
    return e;
}

}  // namespace devapp
