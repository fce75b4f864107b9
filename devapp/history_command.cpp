// history: the session so far as a daily report grouped by user request, with
// made-up but consistent token counts and prices, narrowed by the filters.
#include "commands.h"
#include "request_members.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace devapp {
namespace {

struct Filters {
    std::optional<std::string> project, day, task, panel, commit;
    bool narrows_tasks() const { return task || panel || commit; }
};

struct Usage {
    std::uint64_t input = 0, cached = 0, output = 0;
    std::optional<double> cost;
};

// Roughly what a coding CLI spends on a task: a fixed context, more for each
// word it was told, and its answer.
Usage usage_of(const Task& t) {
    Usage u;
    u.input = 1800 + 120 * t.words_in + 40 * t.artifacts.size();
    u.cached = u.input * 2 / 5;
    u.output = 350 + 60 * t.words_out + 200 * t.commits.size();
    const CliInfo* cli = find_cli(t.cli);
    if (cli != nullptr && cli->usd_per_million_input && cli->usd_per_million_output) {
        const double in = *cli->usd_per_million_input;
        u.cost = (static_cast<double>(u.input - u.cached) * in + static_cast<double>(u.cached) * in * 0.1 +
                  static_cast<double>(u.output) * *cli->usd_per_million_output) /
                 1e6;
    }
    return u;
}

std::string outcome_text(TaskState s) {
    switch (s) {
        case TaskState::working:
            return "em andamento";
        case TaskState::reported:
            return "relatório entregue";
        case TaskState::accepted:
            return "aceita";
        case TaskState::ended_without_report:
            return "encerrada sem relatório";
    }
    return "";
}

bool starts_with_ci(const std::string& text, const std::string& prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

bool task_matches(const Task& t, const Filters& f) {
    if (f.task && t.id != *f.task) return false;
    if (f.panel && t.panel_id != *f.panel && t.terminal_name != *f.panel) return false;
    if (f.commit) {
        const bool any = std::any_of(t.commits.begin(), t.commits.end(), [&](const Commit& c) {
            return f.commit->size() >= 4 && starts_with_ci(c.sha, *f.commit);
        });
        if (!any) return false;
    }
    return true;
}

class Totals {
public:
    void add(const Task& t, const Usage& u, double seconds) {
        ++tasks_;
        panels_.insert(t.panel_id);
        models_.insert(t.model);
        commits_ += t.commits.size();
        input_ += u.input;
        cached_ += u.cached;
        output_ += u.output;
        seconds_ += seconds;
        if (u.cost) {
            cost_ += *u.cost;
        } else {
            ++unpriced_;
        }
    }
    void add(const Totals& o) {
        tasks_ += o.tasks_;
        panels_.insert(o.panels_.begin(), o.panels_.end());
        models_.insert(o.models_.begin(), o.models_.end());
        commits_ += o.commits_;
        input_ += o.input_;
        cached_ += o.cached_;
        output_ += o.output_;
        seconds_ += o.seconds_;
        cost_ += o.cost_;
        unpriced_ += o.unpriced_;
    }
    tv::Json json() const {
        return {{"taskCount", tasks_},
                {"agentCount", panels_.size()},
                {"modelCount", models_.size()},
                {"commitCount", commits_},
                {"totalTokens", input_ + output_},
                {"inputTokens", input_},
                {"cachedInputTokens", cached_},
                {"outputTokens", output_},
                {"elapsedSeconds", seconds_},
                {"costUsd", cost_},
                {"unpricedTaskCount", unpriced_}};
    }

private:
    std::size_t tasks_ = 0, commits_ = 0, unpriced_ = 0;
    std::set<std::string> panels_, models_;
    std::uint64_t input_ = 0, cached_ = 0, output_ = 0;
    double seconds_ = 0, cost_ = 0;
};

struct RequestGroup {
    std::string summary;
    std::vector<const Task*> tasks;
};

}  // namespace

tv::Json history_command(Workstation& ws, Terminal&, const tv::Json& body) {
    Filters f{optional_text_member(body, "project"), optional_text_member(body, "day"),
              optional_text_member(body, "task"), optional_text_member(body, "panel"),
              optional_text_member(body, "commit")};
    tv::Json days = tv::Json::array();
    const bool this_project = !f.project || *f.project == ws.settings.folder || *f.project == ws.name;

    // Day -> groups in the order they began; tasks given before any request
    // form a group of their own.
    std::map<std::string, std::vector<RequestGroup>> by_day;
    std::map<std::string, std::map<std::size_t, std::size_t>> slot;  // day -> request -> group index
    const std::size_t no_request = static_cast<std::size_t>(-1);
    const auto group_for = [&](const std::string& day, std::size_t request) -> RequestGroup& {
        auto& groups = by_day[day];
        auto [it, fresh] = slot[day].try_emplace(request, groups.size());
        if (fresh) {
            groups.push_back(
                {request == no_request ? "(tarefas sem pedido registrado)" : ws.requests[request].summary, {}});
        }
        return groups[it->second];
    };
    for (const auto& t : ws.tasks) {
        if (!t.request) group_for(day_text(t.started), no_request);
    }
    for (std::size_t i = 0; i < ws.requests.size(); ++i) group_for(day_text(ws.requests[i].at), i);
    for (const auto& t : ws.tasks) {
        const std::string day = t.request ? day_text(ws.requests[*t.request].at) : day_text(t.started);
        if (task_matches(t, f)) group_for(day, t.request.value_or(no_request)).tasks.push_back(&t);
    }

    const WallTime now = ws.now();
    for (const auto& [day, groups] : by_day) {
        if (!this_project || (f.day && day != *f.day)) continue;
        tv::Json requests = tv::Json::array();
        Totals day_totals;
        for (const auto& g : groups) {
            if (f.narrows_tasks() && g.tasks.empty()) continue;
            Totals totals;
            tv::Json tasks = tv::Json::array();
            for (const Task* t : g.tasks) {
                const Usage u = usage_of(*t);
                const double seconds = std::chrono::duration<double>(t->ended.value_or(now) - t->started).count();
                const double whole = std::max(0.0, static_cast<double>(static_cast<long long>(seconds)));
                totals.add(*t, u, whole);
                tv::Json commits = tv::Json::array();
                for (const auto& c : t->commits) commits.push_back({{"sha", short_sha(c.sha)}, {"subject", c.subject}});
                tasks.push_back({{"taskId", t->id},
                                 {"text", t->text},
                                 {"outcome", outcome_text(t->state)},
                                 {"panelName", t->terminal_name},
                                 {"panelId", t->panel_id},
                                 {"totalTokens", u.input + u.output},
                                 {"inputTokens", u.input},
                                 {"cachedInputTokens", u.cached},
                                 {"outputTokens", u.output},
                                 {"elapsedSeconds", whole},
                                 {"models", tv::Json::array({t->model})},
                                 {"costUsd", u.cost ? tv::Json(*u.cost) : tv::Json(nullptr)},
                                 {"commits", commits}});
            }
            day_totals.add(totals);
            requests.push_back({{"summary", g.summary}, {"totals", totals.json()}, {"tasks", tasks}});
        }
        if (requests.empty()) continue;
        days.push_back({{"day", day}, {"requests", requests}, {"totals", day_totals.json()}});
    }
    return {{"projectKey", ws.settings.folder}, {"days", days}};
}

}  // namespace devapp
