#include "base/fail.h"
#include "values/port.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

TEST(CheckPort, AcceptsOrFallsBack) {
    const struct {
        const char* text;
        unsigned port;
        const char* port_text;
    } cases[] = {
        {"4000", 4000, "4000"},   {" 4000\n", 4000, "4000"}, {"0x1F90", 8080, "8080"}, {"0b1010", 10, "10"},
        {"0b102", 80, "NaN"},     {"4000.0", 4000, "4000"},  {"0x+10", 16, "16"},      {"0x-10", 80, "NaN"},
        {"0x", 80, "NaN"},        {"abc", 80, "NaN"},        {"1_000", 80, "NaN"},     {"0", 80, "0"},
        {"-0", 80, "0"},          {"   ", 80, "0"},          {"4e3", 4000, "4000"},    {"65535", 65535, "65535"},
        {"1", 1, "1"},            {"0.0e5", 80, "0"},
    };
    for (const auto& c : cases) {
        const PortCheck got = check_port(c.text);
        EXPECT_EQ(got.port, c.port) << c.text;
        EXPECT_EQ(got.port_text, c.port_text) << c.text;
    }
}

TEST(CheckPort, RefusesWithTheNumberAsWritten) {
    const std::pair<const char*, const char*> cases[] = {
        {"65536", "65536"},       {"-1", "-1"},       {"80.5", "80.5"},         {"Infinity", "Infinity"},
        {"inf", "Infinity"},      {"1e400", "Infinity"}, {"-Infinity", "-Infinity"}, {"1e21", "1e+21"},
        {"0.5", "0.5"},           {"1e-7", "1e-7"},
    };
    for (const auto& [text, shown] : cases) {
        try {
            check_port(text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const Failure& f) {
            EXPECT_EQ(f.message,
                      std::string("Port should be >= 0 and < 65536. Received type number (") + shown + ").");
        }
    }
}

}  // namespace
}  // namespace tv
