#include "render/history_text.h"

#include "support/outcome.h"

#include <gtest/gtest.h>
#include <cmath>
#include <deque>
#include <limits>
#include <string>

namespace tv {
namespace {

// A reply value from its JSON text, so that number kinds come out as the
// reader makes them; nullptr stands for an absent value.
Value value_of(const char* text) {
    static std::deque<JsonTree> kept;
    return text != nullptr ? &kept.emplace_back(tvtest::reply_or_fail(text)).root() : nullptr;
}

// What an append function adds to an empty text.
template <class Append, class... Args>
std::string text_of(Append append, Args... args) {
    std::string out;
    append(out, args...);
    return out;
}

// Happy-path values of these texts are pinned by the history report tests;
// these are the edges.
TEST(HistoryText, EdgesOfEachValueText) {
    const struct {
        void (*append)(std::string&, Value);
        const char* json;
        const char* text;
    } cases[] = {
        // Runs of line breaks fold and the ends are trimmed; only CR and LF fold inside.
        {append_one_line, "\"  Corrigir\\r\\n\\r\\n login \\n\"", "Corrigir  login"},
        {append_one_line, "\"\\u3000x\\u2028\"", "x"},
        {append_one_line, "\"a\\u2028b\\tc\"", "a\u2028b\tc"},
        // Whole digits, grouped.
        {append_grouped_integer, "1234567.89", "1.234.567"},
        {append_grouped_integer, "0.999", "0"},
        {append_grouped_integer, "-0", "-0"},                                   // the sign bit, not the sign
        {append_grouped_integer, "9007199254740991", "9.007.199.254.740.991"},  // 2^53 - 1
        // Integers pass through the nearest float before their digits are written.
        {append_grouped_integer, "18446744073709551615", "18.446.744.073.709.552.000"},
        {append_grouped_integer, "1e21", "1.000.000.000.000.000.000.000"},
        {append_grouped_integer, "\"1234567\"", "1234567"},
        // Durations clamp at zero and truncate.
        {append_duration, "\"3600\"", "0h 00m 00s"},
        {append_duration, "-5", "0h 00m 00s"},
        {append_duration, "59.9", "0h 00m 59s"},
        {append_duration, "18446744073709549568", "5124095576030430h 26m 08s"},
        {append_duration, "18446744073709551615", "5124095576030431h 00m 15s"},
        {append_task_cost, "0", "$0.0000"},
        {append_task_cost, "12345678901234567890", "$12345678901234567168.0000"},
        {append_task_cost, nullptr, "$NaN"},
        {append_task_cost, "\"0.5\"", "$NaN"},
    };
    for (const auto& [append, json, text] : cases) EXPECT_EQ(text_of(append, value_of(json)), text) << json;
}

TEST(DollarText, RoundsTheExactBinaryValue) {
    const std::pair<double, const char*> cases[] = {
        {-0.0, "$-0.0000"},
        // Exact ties (odd multiples of 1/32) go to the even digit.
        {0.09375, "$0.0938"},
        {-0.03125, "$-0.0312"},
        {std::nextafter(0.03125, 1.0), "$0.0313"},
        {std::nextafter(0.09375, 0.0), "$0.0937"},
    };
    for (const auto& [x, text] : cases) EXPECT_EQ(text_of(append_dollars, x), text) << text;
    EXPECT_EQ(text_of(append_dollars, std::numeric_limits<double>::max()).size(), 1u + 309u + 5u);
}

TEST(CostText, NamesUnpricedTasks) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"12.5", "0.7", "$12.5000"},
        {"2", "-1.5", "$2.0000 + -1 tarefa(s) sem preço"},
        {"0", nullptr, "desconhecido (undefined tarefa(s) sem preço)"},
        // An amount too small to show is still not zero.
        {"0.00001", "1", "$0.0000 + 1 tarefa(s) sem preço"},
        {nullptr, "0", "$NaN"},
        {"\"5\"", "1", "$NaN + 1 tarefa(s) sem preço"},
        {"null", "\"2\"", "$NaN + 2 tarefa(s) sem preço"},
        {"1", "null", "$1.0000 + null tarefa(s) sem preço"},
    };
    for (const auto& [cost, unpriced, text] : cases)
        EXPECT_EQ(text_of(append_cost, value_of(cost), value_of(unpriced)), text) << cost << " / " << unpriced;
}

TEST(AppendLabel, PadsLabelToSixteenScalars) {
    EXPECT_EQ(text_of(append_label, "", "abcdefghijklmnop"), "abcdefghijklmnop");
    EXPECT_EQ(text_of(append_label, "", "abcdefghijklmnopq"), "abcdefghijklmnopq");
}

}  // namespace
}  // namespace tv
