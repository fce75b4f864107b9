#include "values/port.h"
#include "support/outcome.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

std::string refused(const std::string& shown) {
    return "fail: Port should be >= 0 and < 65536. Received type number (" + shown + ").";
}

// The number rules are text_to_number's; these are the port's own: NaN and
// zero fall back to 80, the text is the number written back, the rest must
// be a whole number below 65536.
TEST(CheckPort, AcceptsFallsBackOrRefuses) {
    const std::pair<const char*, std::string> cases[] = {
        {"1", "1 1"},          {"65535", "65535 65535"}, {" 0x1F90\n", "8080 8080"},
        {"abc", "80 NaN"},     {"-0", "80 0"},           {"65536", refused("65536")},
        {"-1", refused("-1")}, {"0.5", refused("0.5")},  {"80.5", refused("80.5")},
    };
    for (const auto& [text, want] : cases) {
        const std::string got = tvtest::result_or_failure([text = text] {
            const PortCheck p = check_port(text);
            return std::to_string(p.port) + " " + p.port_text;
        });
        EXPECT_EQ(got, want) << text;
    }
}

}  // namespace
}  // namespace tv
