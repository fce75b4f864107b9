// The app answering the steps of an image or video run out of order, with the
// wrong shape or not at all: the plan stops the run in one sentence; a broken
// start or poll is that attempt's failure; a lost report only warns.
#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"
#include "support/scripted_job.h"
#include "values/json.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

namespace {

using Wire = tvtest::Answer;

Wire json(const std::string& text) { return tvtest::json_answer(text); }
const Wire reset{.bytes = "", .reset = true};
const Wire cut_short{"HTTP/1.1 200 OK\r\ncontent-length: 40\r\n\r\n{\"ok\":tr"};
const std::string eof = "invalid response from the tarvolt: EOF while parsing a value at line 1 column 8";
const std::string reset_text = "could not talk to the tarvolt on port {port}: Connection reset by peer (os error 104)";

struct PhaseRow {
    std::string phase;  // the step answered with the fault
    Wire wire;
    int status;            // 0: the file is delivered
    std::string err_line;  // one line the run must write to standard error
    std::vector<std::string> phases;
};

class PhaseFaultsSlow : public testing::Test {
protected:
    // Every other step is answered well: the plan, a started job whose first
    // poll ends it with `poll` (the file in place), and acceptance.
    void check(const std::string& command, const std::string& plan, const std::string& poll,
               const std::vector<PhaseRow>& rows) {
        const tvtest::Handler steps = tvtest::plan_then(plan, [&](const tv::Json& body) -> std::string {
            if (body["phase"] != "api-poll") return body["phase"] == "api-start" ? R"({"ok":true,"jobId":"j"})" : "";
            std::ofstream(path_) << "Y4M";
            return poll;
        });
        for (const PhaseRow& row : rows) {
            std::filesystem::remove(path_);
            tvtest::FakeApp app(
                [&](const tvtest::Request& r) { return tvtest::phase_of(r) == row.phase ? row.wire : steps(r); });
            const auto r = tvtest::run_ctl({command, "--prompt", "kite"}, tvtest::pane_env(app.port()));
            std::vector<std::string> phases;
            for (const auto& request : app.requests()) phases.push_back(tvtest::phase_of(request));
            const std::string err_line = tvtest::replaced(row.err_line, "{port}", std::to_string(app.port()));
            const std::string fault = row.phase + ": " + row.err_line;
            EXPECT_EQ(r.status, row.status) << fault;
            EXPECT_EQ(r.out, row.status == 0 ? path_ + "\n" : "") << fault;
            EXPECT_NE(r.err.find("tarvolt-ctl: " + err_line + "\n"), std::string::npos) << fault << ":\n" << r.err;
            EXPECT_EQ(phases, row.phases) << fault;
        }
    }

    tvtest::ScratchDir scratch_{"phase-faults"};
    const std::string path_ = (scratch_ / "out.bin").string();
};

// The API's job fails at its first poll; the local tool then draws the file.
TEST_F(PhaseFaultsSlow, ImageSteps) {
    const std::string plan = tvtest::replaced(R"({"ok":true,"outputPath":"{path}","attempts":[
        {"kind":"api","timeoutMs":60000,"apiId":"or-1","apiName":"OpenRouter","model":"a/b"},
        {"kind":"command","timeoutMs":20000,"imageCliId":"codex-image","toolName":"Codex","model":"m","commandLine":"printf png > '{path}'"}]})",
                                              "{path}", path_);
    const std::vector<std::string> plan_only = {"plan"};
    const std::vector<std::string> fell_back = {"plan", "api-start", "failure", "record"};
    const std::vector<std::string> polled = {"plan", "api-start", "api-poll", "failure", "record"};
    const std::string no_job = "OpenRouter the tarvolt started no job for this API";
    const std::string not_reported = "could not report the failed image attempt: ";
    check("image", plan, R"({"ok":true,"status":"failed","detail":"402"})",
          {{"plan", json("[]"), 1, "unknown tarvolt error", plan_only},
           {"plan", json(R"({"ok":true,"jobId":"j"})"), 1, "the tarvolt image plan carries no \"attempts\"", plan_only},
           {"plan", cut_short, 1, eof, plan_only},
           {"plan", reset, 1, reset_text, plan_only},
           {"api-start", json(plan), 0, no_job, fell_back},
           {"api-start", json(R"({"ok":true,"jobId":7})"), 0, no_job, fell_back},
           {"api-start", reset, 0, "OpenRouter " + reset_text, fell_back},
           {"api-poll", json("[1]"), 0, "OpenRouter unknown tarvolt error", polled},
           {"api-poll", cut_short, 0, "OpenRouter " + eof, polled},
           {"failure", reset, 0, not_reported + reset_text, polled},
           {"failure", json(R"({"ok":"yes","attempts":[]})"), 0, not_reported + "unknown tarvolt error", polled},
           {"record", cut_short, 0, "the image was generated but not recorded: " + eof, polled}});
}

TEST_F(PhaseFaultsSlow, VideoSteps) {
    const std::string plan = R"({"ok":true,"outputPath":")" + path_ + R"(","registeredApiCount":1,"attempts":[
        {"kind":"api","apiId":"a1","apiName":"Sora","timeoutMs":60000,"pollIntervalMs":0}]})";
    const std::vector<std::string> recorded = {"plan", "api-start", "api-poll", "record"};
    check("video", plan, R"({"ok":true,"status":"succeeded"})",
          {{"api-start", json("7"), 1, "Sora unknown tarvolt error", {"plan", "api-start", "failure"}},
           {"api-poll", reset, 1, "Sora " + reset_text, {"plan", "api-start", "api-poll", "failure"}},
           {"record", json("[]"), 0, "the video was generated but not recorded: unknown tarvolt error", recorded}});
}

// Answers without a status of the agreed kind, such as those meant for
// another step, leave the job running until the caller stops waiting.
TEST(PhaseFaults, PollsWithoutAKnownStatusWaitOutTheJob) {
    const char* answers[] = {R"({"ok":true,"jobId":"j"})", R"({"ok":true,"attempts":[],"outputPath":"/x"})",
                             R"({"ok":true,"status":["failed"]})", R"({"ok":true,"status":{"succeeded":true}})",
                             R"({"ok":true,"status":null,"detail":"x"})"};
    for (const char* answer : answers) {
        tvtest::ScriptedApp app({tvtest::reply(R"({"ok":true,"jobId":"j"})"), tvtest::reply(answer)});
        const tv::AttemptOutcome out = tv::run_app_job(tvtest::image_job(1000), "o", app.ports());
        EXPECT_EQ(out.reason, "was still running after 1 minute(s), so this caller stopped waiting") << answer;
        EXPECT_GT(app.sent.size(), 10u) << answer;
    }
}

}  // namespace
