#include "render/history_text.h"

#include "base/utf8.h"
#include "base/white_space.h"
#include "values/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace tv {
namespace {

// Digits of a whole, finite, non-negative float: its shortest round-trip
// digits followed by zeros up to the units, never an exponent.
std::string whole_digits(double magnitude) {
    if (magnitude == 0) return "0";
    auto [digits, exp10] = shortest_digits(magnitude);
    // A whole number's shortest digits never reach past its units.
    const std::size_t units = static_cast<std::size_t>(exp10) + 1;
    if (digits.size() < units) digits.append(units - digits.size(), '0');
    return digits;
}

std::string grouped(const std::string& digits) {
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return out;
}

std::string two_digits(std::uint64_t n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

}  // namespace

std::string one_line_text(Value v) {
    const std::string text = value_text(v);
    std::string out;
    out.reserve(text.size());
    bool in_break = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            if (!in_break) out += ' ';
            in_break = true;
        } else {
            out += c;
            in_break = false;
        }
    }
    return trim_white_space(out);
}

std::string grouped_integer_text(Value v) {
    double x;
    if (!number_value(v, x)) return value_text(v);
    const std::string sign = std::signbit(x) ? "-" : "";
    // A parsed reply holds only finite numbers; the rest is said in words.
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return sign + "Infinity";
    return sign + grouped(whole_digits(std::fabs(std::trunc(x))));
}

std::string duration_text(Value v) {
    double s = 0;
    number_value(v, s);
    std::uint64_t seconds = 0;
    constexpr double beyond = 18446744073709551616.0;  // 2^64
    if (s >= beyond) {
        seconds = std::numeric_limits<std::uint64_t>::max();
    } else if (s > 0) {  // NaN stays zero
        seconds = static_cast<std::uint64_t>(s);
    }
    return std::to_string(seconds / 3600) + "h " + two_digits(seconds / 60 % 60) + "m " + two_digits(seconds % 60) +
           "s";
}

std::string dollar_text(double x) {
    if (std::isnan(x)) return "$NaN";
    if (std::isinf(x)) return x > 0 ? "$Infinity" : "$-Infinity";
    // The largest double takes 309 digits before the point.
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 4);
    return "$" + std::string(buf, res.ptr);
}

std::string task_cost_text(Value cost) {
    if (cost != nullptr && cost->is_null()) return "sem preço";
    double c;
    if (number_value(cost, c)) return dollar_text(c);
    return "$NaN";
}

std::string cost_text(Value cost, Value unpriced_count) {
    double c = std::numeric_limits<double>::quiet_NaN();
    number_value(cost, c);
    const std::string money = dollar_text(c);
    double unpriced;
    if (number_value(unpriced_count, unpriced) && std::trunc(unpriced) == 0) return money;
    const std::string n = grouped_integer_text(unpriced_count);
    if (c == 0) return "desconhecido (" + n + " tarefa(s) sem preço)";
    return money + " + " + n + " tarefa(s) sem preço";
}

std::string labelled_line(std::string_view indent, std::string_view label, std::string_view value) {
    std::string line(indent);
    line += pad_right(label, 16);
    line += value;
    return line;
}

std::string tokens_text(Value holder) {
    return grouped_integer_text(read_property(holder, "totalTokens")) + " (entrada " +
           grouped_integer_text(read_property(holder, "inputTokens")) + ", cache " +
           grouped_integer_text(read_property(holder, "cachedInputTokens")) + ", saída " +
           grouped_integer_text(read_property(holder, "outputTokens")) + ")";
}

std::array<std::string, 4> totals_lines(Value totals) {
    const auto count = [&](std::string_view key) { return value_text(read_property(totals, key)); };
    return {
        labelled_line("  ", "execução",
                      count("taskCount") + " tarefa(s) | " + count("agentCount") + " agente(s) | " +
                          count("modelCount") + " modelo(s) | " + count("commitCount") + " commit(s)"),
        labelled_line("  ", "tokens", tokens_text(totals)),
        labelled_line("  ", "tempo total", duration_text(read_property(totals, "elapsedSeconds"))),
        labelled_line("  ", "custo",
                      cost_text(read_property(totals, "costUsd"), read_property(totals, "unpricedTaskCount"))),
    };
}

}  // namespace tv
