#include "image/app_job.h"
#include "support/scratch_dir.h"
#include "support/scripted_job.h"

#include <gtest/gtest.h>
#include <fstream>

namespace tv {
namespace {

using tvtest::image_job;
using tvtest::reply;
using tvtest::ScriptedApp;

using namespace std::chrono_literals;

TEST(AppJob, SendsStartThenPollsEveryTwoSecondsUntilItFails) {
    ScriptedApp app({reply(R"({"ok":true,"jobId":"j-7"})"), reply(R"({"ok":true,"status":"running"})"),
                     reply(R"({"ok":true,"status":"Failed"})"), reply(R"({"ok":true})"),
                     reply(R"({"ok":true,"status":"failed","detail":"content policy\n"})")});
    const AttemptOutcome out = run_app_job(image_job(60'000), "pane-1", app.ports());
    EXPECT_EQ(out.reason, "refused the request; content policy\n");
    ASSERT_EQ(app.sent.size(), 5u);
    EXPECT_EQ(app.sent[1], R"({"command":"image","from":"pane-1","phase":"api-poll","jobId":"j-7"})");
    EXPECT_EQ(app.sent[4], app.sent[1]);
    // The start is pinned by the image command's runs. Each poll comes 2 s
    // after the previous answer.
    EXPECT_EQ(app.sent_at[1], 2250ms);
    EXPECT_EQ(app.sent_at[2], 4500ms);
}

// Answers without a status of the agreed kind, such as those meant for
// another step, leave the job running until the caller stops waiting.
TEST(AppJob, PollsWithoutAKnownStatusEndAtTimeoutPlusGrace) {
    // Members beside "ok":true.
    for (const std::string answer :
         {R"("jobId":"j")", R"("attempts":[],"outputPath":"/x")", R"("status":["failed"])",
          R"("status":{"succeeded":true})", R"("status":null,"detail":"x")", R"("status":"SUCCEEDED")"}) {
        for (const auto& [timeout_ms, minutes, polls] : {std::tuple{0u, "1", 15u}, {61'000u, "2", 46u}}) {
            SCOPED_TRACE(answer + " " + minutes);
            ScriptedApp app({reply(R"({"ok":true,"jobId":"j"})"), reply(R"({"ok":true,)" + answer + "}")}, 0ms);
            const AttemptOutcome out = run_app_job(image_job(timeout_ms), "o", app.ports());
            EXPECT_EQ(out.reason,
                      std::string("was still running after ") + minutes + " minute(s), so this caller stopped waiting");
            // Polls at 2 s, 4 s, ...: the first at or past timeout + 30 s is the last.
            EXPECT_EQ(app.sent.size(), 1 + polls);
            EXPECT_EQ(app.sent_at.back(), 2s * polls);
        }
    }
}

TEST(AppJob, TurnsEveryOtherEndIntoItsReason) {
    const tvtest::ScratchDir dir("app-job");
    const std::string file = (dir / "x.png").string();
    const std::string down = "could not talk to the tarvolt on port 9: connect ECONNREFUSED";
    const ControlReply started = reply(R"({"ok":true,"jobId":"j"})");
    const ControlReply succeeded = reply(R"({"ok":true,"status":"succeeded"})");
    const std::pair<std::vector<ControlReply>, std::string> cases[] = {
        {{reply(R"({"ok":false,"error":"busy"})")}, "busy"},
        {{reply(R"({"ok":true,"jobId":""})")}, "the tarvolt started no job for this API"},
        {{started, reply(R"({"ok":false})")}, "unknown tarvolt error"},
        {{started, reply(R"({"ok":true,"status":"failed","detail":7})")},
         "refused the request; the API gave no reason"},
        {{ControlReply{std::nullopt, down}}, down},
        {{started, succeeded}, "reported success but wrote no file at " + file},
        {{started, succeeded}, ""}};
    for (const auto& [replies, reason] : cases) {
        // Success counts only with a non-empty regular file at the path.
        std::ofstream(file) << (reason.empty() ? "png" : "");
        ScriptedApp app({replies.begin(), replies.end()});
        const AttemptOutcome out = run_app_job(image_job(1000, file), "o", app.ports());
        EXPECT_EQ(out.delivered, reason.empty()) << reason;
        EXPECT_EQ(out.reason, reason);
    }
}

}  // namespace
}  // namespace tv
