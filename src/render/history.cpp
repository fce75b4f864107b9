#include "render/history.h"

#include "render/history_text.h"
#include "values/guarded_list.h"
#include "values/join.h"

#include <string>
#include <string_view>
#include <vector>

namespace tv {
namespace {

constexpr std::string_view task_indent = "    ";

void add_task(Joiner& lines, const JsonNode& task) {
    std::string& head = lines.next();
    head += "  tarefa: ";
    append_one_line(head, read_property(task, "text"));
    head += " [";
    append_value_text(head, read_property(task, "outcome"));
    head += ']';
    std::string& panel = append_label(lines.next(), task_indent, "painel");
    append_value_text(panel, read_property(task, "panelName"));
    panel += " (";
    append_value_text(panel, read_property(task, "panelId"));
    panel += ')';
    append_tokens(append_label(lines.next(), task_indent, "tokens"), &task);
    append_duration(append_label(lines.next(), task_indent, "tempo"), read_property(task, "elapsedSeconds"));
    const JsonNode& models = counted_list(&task, "models", "responseBody history models are not iterable");
    std::string& model_line = append_label(lines.next(), task_indent, "modelos");
    if (models.empty()) model_line += "—";
    append_joined_texts(model_line, models);
    append_task_cost(append_label(lines.next(), task_indent, "custo"), read_property(task, "costUsd"));
    const JsonNode& commits = counted_list(&task, "commits", "responseBody history commits are not iterable");
    std::string& commit_head = append_label(lines.next(), task_indent, "commits");
    if (commits.empty()) commit_head += "—";
    for (const JsonNode& commit : commits) {
        std::string& line = lines.next();
        line += "      ";
        append_value_text(line, read_property(commit, "sha"));
        line += "  ";
        append_one_line(line, read_property(commit, "subject"));
    }
}

void add_request(Joiner& lines, const JsonNode& request, std::string_view summary) {
    std::string& head = lines.next();
    head += "pedido: ";
    head += summary;
    add_totals_lines(lines, read_property(request, "totals"));
    const JsonNode& tasks = counted_list(&request, "tasks", "responseBody history tasks are not iterable");
    if (tasks.empty()) lines.add("  (nenhuma tarefa registrada)");
    for (const JsonNode& task : tasks) add_task(lines, task);
    lines.add("");
}

void add_day(Joiner& lines, const JsonNode& day, std::string_view project) {
    const JsonNode& requests = counted_list(&day, "requests", "responseBody.days requests are not iterable");
    std::vector<std::string> summaries(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        append_one_line(summaries[i], read_property(requests[i], "summary"));
    }
    std::string& head = lines.next();
    head += "dia ";
    append_value_text(head, read_property(day, "day"));
    head += " — foi feito: ";
    Joiner done(head, "; ");
    for (const std::string& summary : summaries) done.add(summary);
    std::string& project_line = lines.next();
    project_line += "projeto: ";
    project_line += project;
    lines.add("");
    for (std::size_t i = 0; i < requests.size(); ++i) add_request(lines, requests[i], summaries[i]);
    const Value totals = read_property(day, "totals");
    lines.add("TOTAL DO DIA");
    add_totals_lines(lines, totals);
    std::string& total = lines.next();
    total += "*** VALOR TOTAL EM DÓLARES: ";
    append_cost(total, read_property(totals, "costUsd"), read_property(totals, "unpricedTaskCount"));
    total += " ***";
}

// Requests and tasks in the reply, where they are well formed: what the
// report's length mostly depends on.
std::size_t entry_count(const JsonNode& days) {
    std::size_t count = 0;
    for (const JsonNode& day : days) {
        const Value requests = read_property(day, "requests");
        if (requests == nullptr) continue;
        count += requests->elements().size();
        for (const JsonNode& request : *requests) {
            const Value tasks = read_property(request, "tasks");
            if (tasks != nullptr) count += tasks->elements().size();
        }
    }
    return count;
}

}  // namespace

std::string render_history(const JsonNode& reply) {
    const JsonNode& days = counted_list(&reply, "days", "responseBody.days is not iterable");
    const std::string project = value_text(read_property(reply, "projectKey"));
    if (days.empty()) return "nenhum histórico encontrado para os filtros informados (projeto: " + project + ")";
    // Every line goes into this one string: a history can run to megabytes.
    // Room for it up front spares copying it at each doubling; a request or
    // a task takes some 600 bytes, and room left unused costs only address
    // space.
    std::string text;
    try {
        text.reserve(entry_count(days) * 1024);
    } catch (const std::exception&) {
        // Growing as it goes works as well, only slower.
    }
    Joiner lines(text, "\n");
    bool first_day = true;
    for (const JsonNode& day : days) {
        // Days are set apart by one blank line; the last has none after it.
        if (!first_day) lines.add("");
        first_day = false;
        add_day(lines, day, project);
    }
    return text;
}

}  // namespace tv
