// The text rules of the history report: numbers, times and money as the
// Portuguese report lays them out. Each appends its text to `out`, since a
// report can run to megabytes.
#pragma once

#include "values/join.h"
#include "values/value_text.h"

#include <string>
#include <string_view>

namespace tv {

// value_text with every run of CR/LF turned into one space, then trimmed.
void append_one_line(std::string& out, Value v);

// Whole decimal digits of a number (fraction cut toward zero), "." between
// groups of three, "-" when the sign bit is set (so "-0" too). A value that
// is not a JSON number keeps its value_text.
void append_grouped_integer(std::string& out, Value v);

// "{h}h {mm}m {ss}s" of a number of seconds; no number or <= 0 is zero.
void append_duration(std::string& out, Value v);

// "$" and the amount with four decimals, rounded to nearest (exact ties to
// even) on the binary value; "$NaN" for NaN.
void append_dollars(std::string& out, double x);

// A task's price: null is "sem preço", a number its dollars, anything else
// "$NaN".
void append_task_cost(std::string& out, Value cost);

// The price of a totals object, naming the tasks that have no price.
void append_cost(std::string& out, Value cost, Value unpriced_count);

// indent + label padded to 16 scalar values, for the value to follow.
std::string& append_label(std::string& out, std::string_view indent, std::string_view label);

// "{totalTokens} (entrada {inputTokens}, cache {cachedInputTokens}, saída {outputTokens})"
// of a task or totals object.
void append_tokens(std::string& out, Value holder);

// The four lines of a totals object: execução, tokens, tempo total, custo.
void add_totals_lines(Joiner& lines, Value totals);

}  // namespace tv
