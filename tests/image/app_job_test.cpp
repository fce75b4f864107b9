#include "image/app_job.h"
#include "image/image_attempt.h"
#include "support/scratch_dir.h"
#include "support/scripted_job.h"

#include <gtest/gtest.h>
#include <fstream>

namespace tv {
namespace {

using tvtest::reply;
using tvtest::ScriptedApp;

using namespace std::chrono_literals;

ImageAttempt api_attempt(std::uint64_t timeout_ms) {
    ImageAttempt a;
    a.kind = SourceKind::registered_api;
    a.api_id = "or-1";
    a.name = "OpenRouter";
    a.timeout = duration_from_ms(timeout_ms);
    return a;
}

constexpr const char* no_file = "/nowhere/x.png";

TEST(AppJob, SendsStartThenPollsEveryTwoSecondsUntilItFails) {
    ScriptedApp app;
    app.replies = {reply(R"({"ok":true,"jobId":"j-7"})"), reply(R"({"ok":true,"status":"running"})"),
                   reply(R"({"ok":true,"status":"Failed"})"), reply(R"({"ok":true})"),
                   reply(R"({"ok":true,"status":"failed","detail":"content policy\n"})")};
    const AttemptOutcome out =
        run_app_job(image_api_job(api_attempt(60'000), "a \"red\" kite", "/o/x.png"), "pane-1", app.ports());
    EXPECT_FALSE(out.delivered);
    EXPECT_EQ(out.reason, "refused the request; content policy\n");
    ASSERT_EQ(app.sent.size(), 5u);
    EXPECT_EQ(app.sent[1], R"({"command":"image","from":"pane-1","phase":"api-poll","jobId":"j-7"})");
    EXPECT_EQ(app.sent[4], app.sent[1]);
    // The start is pinned by the image command's runs. Each poll comes 2 s
    // after the previous answer.
    EXPECT_EQ(app.sent_at[1], 2250ms);
    EXPECT_EQ(app.sent_at[2], 4500ms);
}

TEST(AppJob, EndsOnTheFirstPollAnsweredAtTimeoutPlusGrace) {
    for (const auto& [timeout_ms, minutes, polls] : {std::tuple{0u, "1", 15u}, {61'000u, "2", 46u}}) {
        const auto last_poll = 2s * polls;
        ScriptedApp app;
        app.replies = {reply(R"({"ok":true,"jobId":"j"})"), reply(R"({"ok":true,"status":"SUCCEEDED"})")};
        app.request_time = 0ms;
        const AttemptOutcome out = run_app_job(image_api_job(api_attempt(timeout_ms), "p", no_file), "o", app.ports());
        EXPECT_EQ(out.reason,
                  std::string("was still running after ") + minutes + " minute(s), so this caller stopped waiting");
        // Polls at 2 s, 4 s, ...: the first at or past timeout + 30 s is the last.
        EXPECT_EQ(app.sent.size(), 1 + polls) << timeout_ms;
        EXPECT_EQ(app.sent_at.back(), last_poll) << timeout_ms;
    }
}

TEST(AppJob, TurnsEveryOtherEndIntoItsReason) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{R"({"ok":false,"error":"busy"})"}, "busy"},
        {{R"({"ok":true,"jobId":""})"}, "the tarvolt started no job for this API"},
        {{R"({"ok":true,"jobId":"j"})", R"({"ok":false})"}, "unknown tarvolt error"},
        {{R"({"ok":true,"jobId":"j"})", R"({"ok":true,"status":"failed","detail":7})"},
         "refused the request; the API gave no reason"}};
    for (const auto& [texts, reason] : cases) {
        ScriptedApp app;
        for (const auto& t : texts) app.replies.push_back(reply(t));
        const AttemptOutcome out = run_app_job(image_api_job(api_attempt(1000), "p", no_file), "o", app.ports());
        EXPECT_FALSE(out.delivered);
        EXPECT_EQ(out.reason, reason) << texts.back();
    }

    // Success counts only with a non-empty regular file at the path.
    const tvtest::ScratchDir dir("app-job");
    const std::string file = (dir / "x.png").string();
    for (const std::string bytes : {"", "png"}) {
        std::ofstream(file) << bytes;
        ScriptedApp app;
        app.replies = {reply(R"({"ok":true,"jobId":"j"})"), reply(R"({"ok":true,"status":"succeeded"})")};
        const AttemptOutcome out = run_app_job(image_api_job(api_attempt(1000), "p", file), "o", app.ports());
        EXPECT_EQ(out.delivered, !bytes.empty());
        EXPECT_EQ(out.reason, bytes.empty() ? "reported success but wrote no file at " + file : "");
    }

    ScriptedApp down;
    down.replies = {ControlReply{std::nullopt, "could not talk to the tarvolt on port 9: connect ECONNREFUSED"}};
    EXPECT_EQ(run_app_job(image_api_job(api_attempt(1000), "p", no_file), "o", down.ports()).reason,
              "could not talk to the tarvolt on port 9: connect ECONNREFUSED");
}

}  // namespace
}  // namespace tv
