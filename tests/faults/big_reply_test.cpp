// A reply of half a gigabyte: the client reads it whole and ends with its
// own result, in memory that stays within a small multiple of the reply.
#include "support/fake_app.h"
#include "support/run_ctl.h"

#include <gtest/gtest.h>

// Linked in only under AddressSanitizer, whose memory is not comparable.
extern "C" void __asan_init() __attribute__((weak));

namespace {

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
