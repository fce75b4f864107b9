// Text to number and back, by one fixed set of rules.
#pragma once

#include <string>
#include <string_view>

namespace tv {

// Never fails: unreadable text is NaN, empty (or white) text is 0.
double text_to_number(std::string_view text);

// The shortest digits d1...dk (d1 != 0) that read back as |x|, and the
// exponent e with |x| = d1.d2...dk × 10^e. x must be finite and non-zero.
struct ShortestDigits {
    std::string digits;
    int exponent;
};
ShortestDigits shortest_digits(double x);

// Shortest round-trip digits, laid out like "8080", "80.5", "1e-7", "1e+21".
std::string number_to_text(double x);

}  // namespace tv
