#include "render/history_text.h"

#include "base/utf8.h"
#include "base/white_space.h"
#include "values/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>

namespace tv {
namespace {

// Digits of a whole, finite, non-negative float: its shortest round-trip
// digits followed by zeros up to the units, never an exponent.
std::string whole_digits(double magnitude) {
    // Below 2^53 each whole number is a float of its own, whose shortest
    // digits are the integer's.
    if (magnitude < 0x1p53) return std::to_string(static_cast<std::uint64_t>(magnitude));
    auto [digits, exp10] = shortest_digits(magnitude);
    // A whole number's shortest digits never reach past its units.
    const std::size_t units = static_cast<std::size_t>(exp10) + 1;
    if (digits.size() < units) digits.append(units - digits.size(), '0');
    return digits;
}

void append_grouped(std::string& out, std::string_view digits) {
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
}

void append_two_digits(std::string& out, std::uint64_t n) {
    out += static_cast<char>('0' + n / 10);
    out += static_cast<char>('0' + n % 10);
}

}  // namespace

void append_one_line(std::string& out, Value v) {
    const bool is_text = v != nullptr && v->is_string();
    const std::string other = is_text ? std::string() : value_text(v);
    // Trimming first leaves the same text: a run of breaks is white space
    // either way.
    const std::string_view text = trimmed(is_text ? v->text() : std::string_view(other));
    const auto is_break = [](char c) { return c == '\r' || c == '\n'; };
    auto at = text.begin();
    for (;;) {
        const auto line_break = std::find_if(at, text.end(), is_break);
        out.append(at, line_break);
        if (line_break == text.end()) return;
        at = std::find_if_not(line_break, text.end(), is_break);
        out += ' ';
    }
}

void append_grouped_integer(std::string& out, Value v) {
    double x;
    if (!number_value(v, x)) return append_value_text(out, v);
    // A parsed reply holds only finite numbers; the rest is said in words.
    if (std::isnan(x)) {
        out += "NaN";
        return;
    }
    if (std::signbit(x)) out += '-';
    if (std::isinf(x)) {
        out += "Infinity";
        return;
    }
    append_grouped(out, whole_digits(std::fabs(std::trunc(x))));
}

void append_duration(std::string& out, Value v) {
    double s = 0;
    number_value(v, s);
    std::uint64_t seconds = 0;
    constexpr double beyond = 18446744073709551616.0;  // 2^64
    if (s >= beyond) {
        seconds = std::numeric_limits<std::uint64_t>::max();
    } else if (s > 0) {  // NaN stays zero
        seconds = static_cast<std::uint64_t>(s);
    }
    out += std::to_string(seconds / 3600);
    out += "h ";
    append_two_digits(out, seconds / 60 % 60);
    out += "m ";
    append_two_digits(out, seconds % 60);
    out += 's';
}

void append_dollars(std::string& out, double x) {
    if (std::isnan(x)) {
        out += "$NaN";
        return;
    }
    if (std::isinf(x)) {
        out += x > 0 ? "$Infinity" : "$-Infinity";
        return;
    }
    // The largest double takes 309 digits before the point.
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 4);
    out += '$';
    out.append(buf, res.ptr);
}

void append_task_cost(std::string& out, Value cost) {
    double c;
    if (cost != nullptr && cost->is_null()) {
        out += "sem preço";
    } else if (number_value(cost, c)) {
        append_dollars(out, c);
    } else {
        out += "$NaN";
    }
}

void append_cost(std::string& out, Value cost, Value unpriced_count) {
    double c = std::numeric_limits<double>::quiet_NaN();
    number_value(cost, c);
    double unpriced;
    if (number_value(unpriced_count, unpriced) && std::trunc(unpriced) == 0) return append_dollars(out, c);
    if (c == 0) {
        out += "desconhecido (";
        append_grouped_integer(out, unpriced_count);
        out += " tarefa(s) sem preço)";
        return;
    }
    append_dollars(out, c);
    out += " + ";
    append_grouped_integer(out, unpriced_count);
    out += " tarefa(s) sem preço";
}

std::string& append_label(std::string& out, std::string_view indent, std::string_view label) {
    out += indent;
    append_padded(out, label, 16);
    return out;
}

void append_tokens(std::string& out, Value holder) {
    constexpr std::pair<std::string_view, std::string_view> parts[] = {{"totalTokens", " (entrada "},
                                                                       {"inputTokens", ", cache "},
                                                                       {"cachedInputTokens", ", saída "},
                                                                       {"outputTokens", ")"}};
    for (const auto& [key, after] : parts) {
        append_grouped_integer(out, read_property(holder, key));
        out += after;
    }
}

void add_totals_lines(Joiner& lines, Value totals) {
    constexpr std::pair<std::string_view, std::string_view> counts[] = {{"taskCount", " tarefa(s) | "},
                                                                        {"agentCount", " agente(s) | "},
                                                                        {"modelCount", " modelo(s) | "},
                                                                        {"commitCount", " commit(s)"}};
    std::string& run = append_label(lines.next(), "  ", "execução");
    for (const auto& [key, after] : counts) {
        append_value_text(run, read_property(totals, key));
        run += after;
    }
    append_tokens(append_label(lines.next(), "  ", "tokens"), totals);
    append_duration(append_label(lines.next(), "  ", "tempo total"), read_property(totals, "elapsedSeconds"));
    append_cost(append_label(lines.next(), "  ", "custo"), read_property(totals, "costUsd"),
                read_property(totals, "unpricedTaskCount"));
}

}  // namespace tv
