#include "render/history.h"

#include "render/history_text.h"
#include "values/guarded_list.h"
#include "values/join.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tv {
namespace {

constexpr std::string_view task_indent = "    ";

void add_task(Joiner& lines, const JsonNode& task) {
    lines.add("  tarefa: " + one_line_text(read_property(task, "text")) + " [" +
              value_text(read_property(task, "outcome")) + "]");
    lines.add(labelled_line(
        task_indent, "painel",
        value_text(read_property(task, "panelName")) + " (" + value_text(read_property(task, "panelId")) + ")"));
    lines.add(labelled_line(task_indent, "tokens", tokens_text(&task)));
    lines.add(labelled_line(task_indent, "tempo", duration_text(read_property(task, "elapsedSeconds"))));
    const JsonNode& models = counted_list(&task, "models", "responseBody history models are not iterable");
    lines.add(labelled_line(task_indent, "modelos", models.empty() ? "—" : join_texts(models)));
    lines.add(labelled_line(task_indent, "custo", task_cost_text(read_property(task, "costUsd"))));
    const JsonNode& commits = counted_list(&task, "commits", "responseBody history commits are not iterable");
    lines.add(labelled_line(task_indent, "commits", commits.empty() ? "—" : ""));
    for (const JsonNode& commit : commits) {
        lines.add("      " + value_text(read_property(commit, "sha")) + "  " +
                  one_line_text(read_property(commit, "subject")));
    }
}

void add_request(Joiner& lines, const JsonNode& request, const std::string& summary) {
    lines.add("pedido: " + summary);
    for (const std::string& line : totals_lines(read_property(request, "totals"))) lines.add(line);
    const JsonNode& tasks = counted_list(&request, "tasks", "responseBody history tasks are not iterable");
    if (tasks.empty()) lines.add("  (nenhuma tarefa registrada)");
    for (const JsonNode& task : tasks) add_task(lines, task);
    lines.add("");
}

void add_day(Joiner& lines, const JsonNode& day, const std::string& project) {
    const JsonNode& requests = counted_list(&day, "requests", "responseBody.days requests are not iterable");
    std::vector<std::string> summaries;
    summaries.reserve(requests.size());
    for (const JsonNode& request : requests) summaries.push_back(one_line_text(read_property(request, "summary")));
    lines.add("dia " + value_text(read_property(day, "day")) + " — foi feito: " + join(summaries, "; "));
    lines.add("projeto: " + project);
    lines.add("");
    for (std::size_t i = 0; i < requests.size(); ++i) add_request(lines, requests[i], summaries[i]);
    const Value totals = read_property(day, "totals");
    lines.add("TOTAL DO DIA");
    for (const std::string& line : totals_lines(totals)) lines.add(line);
    lines.add("*** VALOR TOTAL EM DÓLARES: " +
              cost_text(read_property(totals, "costUsd"), read_property(totals, "unpricedTaskCount")) + " ***");
}

}  // namespace

std::string render_history(const JsonNode& reply) {
    const JsonNode& days = counted_list(&reply, "days", "responseBody.days is not iterable");
    const std::string project = value_text(read_property(reply, "projectKey"));
    if (days.empty()) return "nenhum histórico encontrado para os filtros informados (projeto: " + project + ")";
    // Lines joined in one string: a history can run to megabytes.
    std::string text;
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
