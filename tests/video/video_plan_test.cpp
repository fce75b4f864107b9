#include "video/video_plan.h"
#include "support/outcome.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

std::string plan_failure(const std::string& attempts, const std::string& rest = R"(,"outputPath":"/w/v.mp4")") {
    return tvtest::failure_of(
        [&] { read_video_plan(tvtest::reply_or_fail(R"({"ok":true,"attempts":)" + attempts + rest + "}")); });
}

constexpr const char* good = R"({"kind":"api","apiId":"a","apiName":"A","timeoutMs":1,"pollIntervalMs":1})";

TEST(VideoPlan, ChecksInOrder) {
    const std::string not_api =
        "a video attempt is not a registered API; video has no local tool, so this client will not run anything it was handed";
    const std::pair<std::string, std::string> cases[] = {
        {"{}", "the tarvolt video plan carries no \"attempts\""},
        {"[]", "the tarvolt video plan carries no API to call"},
        {std::string("[") + good + R"(,{"kind":"command","apiId":"","timeoutMs":"x"}])", not_api},
        {R"([{"kind":"Api"}])", not_api},
        {R"([{"kind":"api","apiId":"","timeoutMs":-1}])", "the tarvolt video plan carries no \"apiId\""},
        {R"([{"kind":"api","apiId":"a","apiName":7}])", "the tarvolt video plan carries no \"apiName\""},
        {R"([{"kind":"api","apiId":"a","apiName":"A","model":5,"timeoutMs":1.0}])",
         "a video attempt carries no \"timeoutMs\""},
        {R"([{"kind":"api","apiId":"a","apiName":"A","timeoutMs":1,"pollIntervalMs":1e3}])",
         "a video attempt carries no \"pollIntervalMs\""}};
    for (const auto& [attempts, message] : cases) EXPECT_EQ(plan_failure(attempts), message) << attempts;
    EXPECT_EQ(plan_failure(std::string("[") + good + "]", R"(,"outputPath":"")"),
              "the tarvolt video plan carries no \"outputPath\"");
}

TEST(VideoPlan, ReadsDefaultsAndRoundsThePollInterval) {
    const VideoPlan plan = read_video_plan(tvtest::reply_or_fail(R"({"attempts":[
        {"kind":"api","apiId":"a","apiName":"A","model":"","timeoutMs":90000,"pollIntervalMs":0},
        {"kind":"api","apiId":"b","apiName":"B","model":"m","timeoutMs":0,"pollIntervalMs":1000},
        {"kind":"api","apiId":"c","apiName":"C","timeoutMs":0,"pollIntervalMs":1001},
        {"kind":"api","apiId":"d","apiName":"D","timeoutMs":0,"pollIntervalMs":2500}],
        "outputPath":"/w/v.mp4"})"));
    const std::tuple<std::string, std::uint64_t, std::uint32_t> expected[] = {
        {"default model", 1, 0}, {"m", 1, 0}, {"default model", 1, 1000000}, {"default model", 2, 500000000}};
    ASSERT_EQ(plan.attempts.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const VideoAttempt& a = plan.attempts[i];
        EXPECT_EQ(std::tuple(a.model, a.poll_interval.seconds, a.poll_interval.nanoseconds), expected[i]) << i;
    }
}

}  // namespace
}  // namespace tv
