#include "values/number_text.h"

#include "base/white_space.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tv {
namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

double radix_integer(std::string_view digits, unsigned radix) {
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    if (digits.empty()) return nan_value;
    unsigned __int128 value = 0;
    constexpr unsigned __int128 top = ~static_cast<unsigned __int128>(0);
    for (const char c : digits) {
        const int d = digit_value(c);
        if (d >= static_cast<int>(radix)) return nan_value;
        if (value > (top - d) / radix) return nan_value;
        value = value * radix + d;
    }
    return static_cast<double>(value);  // rounds to nearest, ties to even
}

bool equals_ignoring_case(std::string_view a, std::string_view lower) {
    if (a.size() != lower.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char c = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (c != lower[i]) return false;
    }
    return true;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Optional sign, digits with an optional point and fraction (or a point and
// at least one digit), optional exponent with at least one digit.
bool is_decimal_literal(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t int_digits = 0, frac_digits = 0;
    while (i < t.size() && is_digit(t[i])) ++i, ++int_digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && is_digit(t[i])) ++i, ++frac_digits;
    }
    if (int_digits == 0 && frac_digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t exp_digits = 0;
        while (i < t.size() && is_digit(t[i])) ++i, ++exp_digits;
        if (exp_digits == 0) return false;
    }
    return i == t.size();
}

}  // namespace

double text_to_number(std::string_view text) {
    const std::string t = trim_white_space(text);
    if (t.empty()) return 0;
    if (t == "Infinity" || t == "+Infinity") return infinity;
    if (t == "-Infinity") return -infinity;
    if (t.size() >= 2 && t[0] == '0') {
        const char p = t[1];
        if (p == 'x' || p == 'X') return radix_integer(std::string_view(t).substr(2), 16);
        if (p == 'b' || p == 'B') return radix_integer(std::string_view(t).substr(2), 2);
        if (p == 'o' || p == 'O') return radix_integer(std::string_view(t).substr(2), 8);
    }
    std::string_view body = t;
    bool negative = false;
    if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
        negative = body[0] == '-';
        body.remove_prefix(1);
    }
    if (equals_ignoring_case(body, "inf") || equals_ignoring_case(body, "infinity")) {
        return negative ? -infinity : infinity;
    }
    if (equals_ignoring_case(body, "nan")) return nan_value;
    if (!is_decimal_literal(t)) return nan_value;
    // The grammar is checked above, so strtod sees only a plain literal; it
    // rounds correctly and gives ±inf or ±0 beyond the range.
    return std::strtod(t.c_str(), nullptr);
}

ShortestDigits shortest_digits(double x) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific);
    const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = sci.find('e');
    ShortestDigits out{"", 0};
    for (const char c : sci.substr(0, e)) {
        if (c != '.') out.digits += c;
    }
    std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+'), sci.data() + sci.size(), out.exponent);
    return out;
}

std::string number_to_text(double x) {
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x > 0 ? "Infinity" : "-Infinity";
    if (x == 0) return "0";
    const auto [digits, exp10] = shortest_digits(x);
    const int k = static_cast<int>(digits.size());
    const int n = exp10 + 1;  // |x| = 0.d1...dk × 10^n
    std::string out = x < 0 ? "-" : "";
    if (k <= n && n <= 21) {
        out += digits;
        out.append(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out += digits.substr(0, static_cast<std::size_t>(n));
        out += '.';
        out += digits.substr(static_cast<std::size_t>(n));
    } else if (-6 < n && n <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-n), '0');
        out += digits;
    } else {
        out += digits[0];
        if (k > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'e';
        out += n >= 1 ? '+' : '-';
        out += std::to_string(n - 1 >= 0 ? n - 1 : -(n - 1));
    }
    return out;
}

}  // namespace tv
