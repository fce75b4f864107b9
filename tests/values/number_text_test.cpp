#include "values/number_text.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace tv {
namespace {

TEST(NumberText, LaysOutShortestDigits) {
    const std::pair<double, const char*> cases[] = {
        {8080, "8080"},
        {0.000001, "0.000001"},
        {1e-7, "1e-7"},
        {1e21, "1e+21"},
        {-0.0, "0"},
        {0.1 + 0.2, "0.30000000000000004"},
        {123456789012345680000.0, "123456789012345680000"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {-std::numeric_limits<double>::infinity(), "-Infinity"},
    };
    for (const auto& [x, text] : cases) EXPECT_EQ(number_to_text(x), text) << text;
}

TEST(TextToNumber, ReadsEveryForm) {
    const std::pair<const char*, double> cases[] = {
        {"", 0},
        {"\u3000 42\u2029", 42},
        {"0x1F90", 8080},
        {"0X+ff", 255},
        {"0b1010", 10},
        {"0o17", 15},
        {".5", 0.5},
        {"5.", 5},
        {"+1.5E-1", 0.15},
        {"-0", -0.0},
        {"1e400", std::numeric_limits<double>::infinity()},
        {"-1e400", -std::numeric_limits<double>::infinity()},
        {"1e-400", 0},
        {"Infinity", std::numeric_limits<double>::infinity()},
        {"-INF", -std::numeric_limits<double>::infinity()},
        {"0xffffffffffffffffffffffffffffffff", 340282366920938463463374607431768211455.0},
        // Ties round to even: 2^53 + 1 cannot be held and goes down.
        {"9007199254740993", 9007199254740992.0},
        {"0x20000000000001", 9007199254740992.0},
    };
    for (const auto& [text, x] : cases) {
        const double got = text_to_number(text);
        EXPECT_EQ(got, x) << text;
        EXPECT_EQ(std::signbit(got), std::signbit(x)) << text;
    }
}

TEST(TextToNumber, UnreadableTextIsNaN) {
    for (const char* text :
         {"abc", "1_000", "0x", "0x+", "0x-10", "0b102", "1.2.3", "1 2", "e5", ".", "+", "1e",
          "0x100000000000000000000000000000000", "nan", "\uFEFF1", "Infinityx", "infinity1", "- 1", "\n\n\xE3\xE3"}) {
        EXPECT_TRUE(std::isnan(text_to_number(text))) << text;
    }
}

}  // namespace
}  // namespace tv
