// An app that breaks the connection while answering: wherever it stops, the
// run ends in one sentence with nothing on standard output, or, when the
// whole body had arrived, in the proper result. A reply of half a gigabyte
// is read whole, in memory within a small multiple of it.
#include "support/fake_app.h"
#include "support/run_ctl.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

// Linked in only under AddressSanitizer, whose memory is not comparable.
extern "C" void __asan_init() __attribute__((weak));

namespace {

using namespace std::chrono_literals;

const std::string reply_body = R"({"ok":true,"terminalName":"api-2","cliId":"codex","model":"gpt-5",)"
                               R"("mcpWarnings":["fs missing"],"pending":{"runningTasks":1}})";
const std::string with_length = tvtest::json_answer(reply_body).bytes;
const std::vector<std::string> spawn_args = {"spawn", "--task", "t"};
const std::string result =
    "subterminal created: api-2 (cli codex, model gpt-5)\nwarning: fs missing\npending: 1 task(s) still running\n";

TEST(TransportFaults, EveryCutOfAReplyEndsInASentenceOrTheResult) {
    const std::regex cut_short(
        "tarvolt-ctl: invalid response from the tarvolt: EOF while parsing (a value|an object|a string|a list) at line 1 column [0-9]+\n");
    std::ostringstream chunks;
    chunks << "HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\nconnection: close\r\n\r\n" << std::hex;
    for (std::size_t at = 0, n = 1; at < reply_body.size(); at += n, n = 40)  // a chunk of one byte first
        chunks << reply_body.substr(at, n).size() << "\r\n" << reply_body.substr(at, n) << "\r\n";
    const std::string with_chunks = chunks.str() + "0\r\n\r\n";
    // Each reply with the shortest cut of it that holds the whole body.
    const std::pair<std::string, std::size_t> replies[] = {
        {with_length, with_length.size()}, {with_chunks, with_chunks.size() - std::string("\r\n0\r\n\r\n").size()}};
    for (const auto& [bytes, complete_from] : replies) {
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            tvtest::FakeApp app({tvtest::Answer{bytes.substr(0, cut)}});
            const auto r = tvtest::run_ctl(spawn_args, tvtest::pane_env(app.port()));
            if (cut >= complete_from)
                EXPECT_EQ(r, tvtest::printed(result)) << cut;
            else
                EXPECT_TRUE(r.status == 1 && r.out.empty() && std::regex_match(r.err, cut_short))
                    << cut << ": " << r.err;
        }
    }
}

TEST(TransportFaults, AResetIsATransportErrorWhereverItComes) {
    const std::size_t head = with_length.find("\r\n\r\n") + 4;
    for (const std::size_t cut : {std::size_t{0}, head / 2, head, head + 20, with_length.size()}) {
        tvtest::FakeApp app({tvtest::Answer{.bytes = with_length.substr(0, cut), .reset = true}});
        EXPECT_EQ(tvtest::run_ctl(spawn_args, tvtest::pane_env(app.port())),
                  tvtest::refused("could not talk to the tarvolt on port " + std::to_string(app.port()) +
                                  ": Connection reset by peer (os error 104)"))
            << cut;
    }
}

// The 10 s limit holds for each read, not for the whole reply.
TEST(TransportFaultsSlow, ADrippingReplyLongerThanTheLimitArrivesWhole) {
    const auto gap = 10'500ms / with_length.size() + 1ms;
    ASSERT_LE(gap, 100ms);
    tvtest::FakeApp app({tvtest::Answer{.bytes = with_length, .drip = gap}});
    tvtest::RunCost cost;
    EXPECT_EQ(tvtest::run_ctl(spawn_args, tvtest::pane_env(app.port()), {.cost = &cost}), tvtest::printed(result));
    EXPECT_GT(cost.elapsed, 10s);
}

TEST(BigReplySlow, HalfAGigabyteEndsWithTheResultInBoundedMemory) {
    if (__asan_init != nullptr) GTEST_SKIP() << "memory under AddressSanitizer is not comparable";
    const std::string entry = R"({"id":123456,"note":"a line of a long ledger, with a \"quote\" and more text"},)";
    std::string reply = R"({"ok":true,"entries":[)";
    const std::size_t target = std::size_t{500} << 20;
    reply.reserve(target + 64);
    while (reply.size() < target) reply += entry;
    reply.back() = ']';
    reply += '}';
    const double reply_kb = static_cast<double>(reply.size()) / 1024;

    tvtest::FakeApp app({tvtest::json_answer(reply)});
    reply = std::string();
    tvtest::RunCost cost;
    const tvtest::RunResult r = tvtest::run_ctl({"request", "--summary", "s"}, tvtest::pane_env(app.port()),
                                                {.limit = std::chrono::seconds(100), .cost = &cost});
    EXPECT_EQ(r, tvtest::printed("user request recorded in the workstation ledger\n"));
    EXPECT_LT(static_cast<double>(cost.max_rss_kb), 4 * reply_kb) << "peak " << cost.max_rss_kb << " kB";
}

}  // namespace
