// The text rules of the history report: numbers, times and money as the
// Portuguese report lays them out. Pure functions of reply values.
#pragma once

#include "values/value_text.h"

#include <array>
#include <string>
#include <string_view>

namespace tv {

// value_text with every run of CR/LF turned into one space, then trimmed.
std::string one_line_text(Value v);

// Whole decimal digits of a number (fraction cut toward zero), "." between
// groups of three, "-" when the sign bit is set (so "-0" too). A value that
// is not a JSON number keeps its value_text.
std::string grouped_integer_text(Value v);

// "{h}h {mm}m {ss}s" of a number of seconds; no number or <= 0 is zero.
std::string duration_text(Value v);

// "$" and the amount with four decimals, rounded to nearest (exact ties to
// even) on the binary value; "$NaN" for NaN.
std::string dollar_text(double x);

// A task's price: null is "sem preço", a number its dollar_text, anything
// else "$NaN".
std::string task_cost_text(Value cost);

// The price of a totals object, naming the tasks that have no price.
std::string cost_text(Value cost, Value unpriced_count);

// indent + label padded to 16 scalar values + value.
std::string labelled_line(std::string_view indent, std::string_view label, std::string_view value);

// "{totalTokens} (entrada {inputTokens}, cache {cachedInputTokens}, saída {outputTokens})"
// of a task or totals object.
std::string tokens_text(Value holder);

// The four lines of a totals object: execução, tokens, tempo total, custo.
std::array<std::string, 4> totals_lines(Value totals);

}  // namespace tv
