#include "image/plan_values.h"
#include "image/answer_list.h"
#include "image/exhausted_text.h"
#include "support/outcome.h"

#include <gtest/gtest.h>
#include <limits>

namespace tv {
namespace {

TEST(NonNegativeInteger, TakesOnlyUnsignedLiterals) {
    const std::pair<const char*, std::optional<std::uint64_t>> cases[] = {
        {"18446744073709551615", std::numeric_limits<std::uint64_t>::max()},
        {"-1", std::nullopt},
        {"300000.0", std::nullopt},
        {"\"300000\"", std::nullopt}};
    for (const auto& [text, expected] : cases) {
        const JsonTree value = tvtest::reply_or_fail(text);
        EXPECT_EQ(non_negative_integer(&value.root()), expected) << text;
    }
    EXPECT_EQ(non_negative_integer(nullptr), std::nullopt);
}

TEST(Minutes, RoundsWholeSecondsUpAndNeverShowsZero) {
    const std::pair<std::uint64_t, std::uint64_t> cases[] = {
        {0, 1}, {59'999, 1}, {60'999, 1}, {61'000, 2}, {std::numeric_limits<std::uint64_t>::max(), 307'445'734'561'826},
    };
    for (const auto& [ms, minutes] : cases) EXPECT_EQ(minutes_of(duration_from_ms(ms)), minutes) << ms;
}

TEST(Deadline, IsExactAndSaturatesInsteadOfOverflowing) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start(std::chrono::seconds(1000));
    EXPECT_EQ(deadline_after(start, duration_from_ms(1'500)), start + std::chrono::milliseconds(1'500));
    EXPECT_EQ(deadline_after(start, duration_from_ms(0), std::chrono::seconds(30)), start + std::chrono::seconds(30));
    const PlanDuration huge = duration_from_ms(std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(deadline_after(start, huge), Clock::time_point::max());
    // Fits in seconds but not once the start and the grace are added.
    const PlanDuration edge{9'223'372'036, 854'775'000};
    EXPECT_EQ(deadline_after(start, edge), Clock::time_point::max());
    EXPECT_EQ(deadline_after(Clock::time_point(), edge, std::chrono::seconds(30)), Clock::time_point::max());
}

TEST(ShortenAnswer, TrimsTheEndAndCutsAtSixHundredScalars) {
    const std::string six_hundred = std::string(599, 'a') + "\u00e9";
    const std::pair<std::string, std::string> cases[] = {
        {"  failed with exit code 3 \n\t\u3000\u2029", "  failed with exit code 3"},
        {six_hundred + " \n", six_hundred},
        {six_hundred + "\u00e9", six_hundred + "\u2026 (output truncated)"}};
    for (const auto& [reason, expected] : cases) EXPECT_EQ(shorten_answer(reason), expected);
}

// The other tails, the single named source and a name ignored when several
// sources were tried are pinned by the image command's runs.
TEST(ExhaustedText, WithoutRegisteredApisAsksForOne) {
    EXPECT_EQ(
        exhausted_text({{"a: x"}, "", false, 0}),
        "no image source delivered a file for this prompt. What each one answered:\n  1. a: x\nNo image API is registered and active, so nothing followed the local tools: the app embeds OpenRouter, and an image model marked on the settings media page (with the key pasted there) becomes one. Ask a person to do that \u2014 an agent cannot.\nEvery local tool above is installed and authenticated, so this is not a missing tool: read the reasons before deciding what to fix. Nothing else generates pixels \u2014 report this instead of drawing it another way.");
}

}  // namespace
}  // namespace tv
