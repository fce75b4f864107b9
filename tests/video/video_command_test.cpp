#include "video/video_command.h"
#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"
#include "support/scripted_job.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

namespace tv {
namespace {

using tvtest::RunResult;
using namespace std::chrono_literals;

// A minute of grace; polls at the plan's own interval.
TEST(VideoAttempt, GivesUpAtTheFirstPollPastTimeoutAndGrace) {
    tvtest::ScriptedApp app(
        {tvtest::reply(R"({"ok":true,"jobId":"j"})"), tvtest::reply(R"({"ok":true,"status":"Succeeded"})")}, 0ms);
    const VideoAttempt attempt{"veo", "Veo", "google/veo-3", duration_from_ms(90000), {2, 500000000}};
    const AttemptOutcome out = run_video_attempt(attempt, "p", "/nowhere", "pane", app.ports());
    EXPECT_EQ(out.reason, "was still running after 2 minute(s), so this caller stopped waiting");
    EXPECT_EQ(app.sent_at.back(), 150s);
    EXPECT_EQ(app.sent[0],
              R"({"command":"video","from":"pane","phase":"api-start","api":"veo","prompt":"p","path":"/nowhere"})");
    EXPECT_EQ(app.sent[1], R"({"command":"video","from":"pane","phase":"api-poll","jobId":"j"})");
}

// The tail for a chain narrowed by --api is pinned by the run below.
TEST(VideoExhaustedText, SaysEveryRegisteredApiWasTriedWhenNoneWasLeftOut) {
    for (const std::uint64_t registered : {0u, 1u})
        EXPECT_EQ(
            video_exhausted_text({"a"}, registered),
            "no registered video API delivered a file for this prompt. What each one answered:\n  1. a\nThose are every video API registered and active in the app settings.\nVideo has no local tool, so there is nothing else to fall back to: do not generate an image instead, and do not ask a coding CLI for frames. Read the reasons above, then either fix the API on the app settings page or report this as it is.")
            << registered;
}

class VideoCommand : public testing::Test {
protected:
    // The plan of these attempts, two video APIs being registered.
    std::string plan(const std::string& attempts) const {
        return R"({"ok":true,"outputPath":")" + path_ + R"(","registeredApiCount":2,"attempts":)" + attempts + "}";
    }
    std::string filled(const std::string& text) const { return tvtest::replaced(text, "{path}", path_); }

    tvtest::ScratchDir scratch_{"video-command"};
    std::string path_ = (scratch_ / "clip.mp4").string();
};
using VideoCommandSlow = VideoCommand;

TEST_F(VideoCommandSlow, FallsBackThenDelivers) {
    std::ofstream(path_) << "left over";
    const std::string apis =
        R"([{"kind":"api","apiId":"a1","apiName":"Sora","model":"openai/sora-2","timeoutMs":61000,"pollIntervalMs":900},{"kind":"api","apiId":"a2","apiName":"Veo","timeoutMs":0,"pollIntervalMs":1000}])";
    tvtest::FakeApp app(tvtest::plan_then(plan(apis), [&](const Json& body) -> std::string {
        if (body["phase"] == "api-start") return R"({"ok":true,"jobId":")" + body.value("api", "") + R"("})";
        if (body["phase"] != "api-poll")
            return body["phase"] == "failure" ? R"({"ok":false,"error":"ledger locked"})" : R"({"ok":false})";
        // Left over from before the run, the file would pass for Sora's.
        if (body["jobId"] == "a2") std::ofstream(path_) << "Y4M";
        return std::filesystem::exists(path_) ? R"({"ok":true,"status":"succeeded"})"
                                              : R"({"ok":true,"status":"failed","detail":"quota\n"})";
    }));
    const auto start = std::chrono::steady_clock::now();
    const RunResult r =
        tvtest::run_ctl({"video", "--prompt", "a kite", "--out", "clip.mp4"}, tvtest::pane_env(app.port(), "pane-3"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2s);  // one poll interval before each poll
    const std::string err =
        R"(tarvolt-ctl: every attempt below is an API call made by the app itself. A model id reads author/slug, so the part before the slash is who made the MODEL, never a second service.
tarvolt-ctl: [1/2] generating with registered API Sora, model openai/sora-2, up to 2 min, checking every 1s; writing {path}
tarvolt-ctl: could not report the failed video attempt: ledger locked
tarvolt-ctl: Sora refused the request; quota

tarvolt-ctl: falling back to registered API Veo
tarvolt-ctl: [2/2] generating with registered API Veo, model default model, up to 1 min, checking every 1s; writing {path}
tarvolt-ctl: the video was generated but not recorded: unknown tarvolt error
)";
    EXPECT_EQ(r, (RunResult{0, path_ + "\n", filled(err)}));
    const std::vector<tvtest::Request> sent = app.requests();
    ASSERT_EQ(sent.size(), 7u);
    EXPECT_EQ(
        sent[3].body,
        R"({"command":"video","from":"pane-3","phase":"failure","api":"a1","detail":"refused the request; quota\n"})");
    EXPECT_EQ(sent[6].body, filled(R"({"command":"video","from":"pane-3","phase":"record","path":"{path}"})"));
}

TEST_F(VideoCommand, EveryApiFailingEndsWithWhatEachAnswered) {
    const std::string long_reason(601, 'x');
    const std::string sora = R"([{"kind":"api","apiId":"a1","apiName":"Sora","timeoutMs":0,"pollIntervalMs":2500}])";
    tvtest::FakeApp app(tvtest::plan_then(plan(sora), [&](const Json& body) {
        return body["phase"] == "api-start" ? R"({"ok":false,"error":")" + long_reason + R"("})" : "";
    }));
    const std::string err =
        R"(tarvolt-ctl: every attempt below is an API call made by the app itself. A model id reads author/slug, so the part before the slash is who made the MODEL, never a second service.
tarvolt-ctl: [1/1] generating with registered API Sora, model default model, up to 1 min, checking every 2s; writing {path}
tarvolt-ctl: Sora {600}x
tarvolt-ctl: no registered video API delivered a file for this prompt. What each one answered:
  1. registered API Sora, model default model: {600}… (output truncated)
The other registered video APIs were left out of this chain because one was named explicitly.
Video has no local tool, so there is nothing else to fall back to: do not generate an image instead, and do not ask a coding CLI for frames. Read the reasons above, then either fix the API on the app settings page or report this as it is.
)";
    EXPECT_EQ(tvtest::run_ctl({"video", "--prompt", "p", "--api", "a1"}, tvtest::pane_env(app.port())),
              (RunResult{1, "", tvtest::replaced(filled(err), "{600}", long_reason.substr(0, 600))}));
}

}  // namespace
}  // namespace tv
