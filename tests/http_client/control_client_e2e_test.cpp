// The wire, byte for byte, and the connection's failures, through the binary.
#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"

#include <gtest/gtest.h>
#include <chrono>

namespace {

using tvtest::FakeApp;
using tvtest::pane_env;
using tvtest::run_ctl;

TEST(ControlRequest, SendsExactBytes) {
    FakeApp app({tvtest::json_answer(R"({"ok":false,"error":"x"})", 500)});
    run_ctl({"list"}, pane_env(app.port(), "pan\u00e9", "tok\u00e9n"));
    ASSERT_EQ(app.requests().size(), 1u);
    // The length counts bytes, not characters.
    const std::string wire =
        "POST /control HTTP/1.1\r\nhost: 127.0.0.1:{port}\r\nconnection: close\r\ncontent-type: application/json\r\ncontent-length: 33\r\nx-tarvolt-token: tok\u00e9n\r\n\r\n{\"command\":\"list\",\"from\":\"pan\u00e9\"}";
    EXPECT_EQ(app.requests()[0].raw, tvtest::replaced(wire, "{port}", std::to_string(app.port())));
}

// No length and several reads' worth: the reply ends where the app hangs up.
TEST(ControlRequest, HugeReplyIsReadWhole) {
    const std::string pad(16 * 1024 * 1024, 'p');
    FakeApp app({tvtest::Answer{"HTTP/1.1 200 OK\r\n\r\n{\"ok\":false,\"pad\":\"" + pad + "\",\"error\":\"big\"}"}});
    EXPECT_EQ(run_ctl({"list"}, pane_env(app.port())), tvtest::refused("big"));
}

TEST(ControlRequest, StoppedAppIsRefusedConnection) {
    const std::string p = std::to_string(FakeApp({tvtest::json_answer("{}")}).port());  // stopped at once
    // The message names the port as it was written back, not as it was given.
    EXPECT_EQ(run_ctl({"list"}, {"TARVOLT_CTL_PORT= " + p + ".0 ", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"}),
              tvtest::refused("could not talk to the tarvolt on port " + p + ": connect ECONNREFUSED 127.0.0.1:" + p));
}

TEST(ControlRequestSlow, SilentAppTimesOutAfterTenSeconds) {
    FakeApp app({tvtest::Answer{"", true}});
    tvtest::RunCost cost;
    EXPECT_EQ(run_ctl({"list"}, pane_env(app.port()), {.cost = &cost}),
              tvtest::refused("could not talk to the tarvolt on port " + std::to_string(app.port()) +
                              ": timed out talking to the tarvolt"));
    EXPECT_GE(cost.elapsed, std::chrono::milliseconds(9900));
    EXPECT_LT(cost.elapsed, std::chrono::seconds(30));
}

}  // namespace
