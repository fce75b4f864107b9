// The app answering the steps of an image or video run out of order, with the
// wrong shape or not at all: the plan stops the run in one sentence; a broken
// start or poll is that attempt's failure; a lost report only warns.
#include "image/app_job.h"
#include "image/image_attempt.h"
#include "support/fake_app.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"
#include "support/scripted_job.h"
#include "values/json.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

namespace {

using namespace std::chrono_literals;
using Wire = tvtest::Answer;
using Answers = std::function<Wire(const std::string& phase)>;

std::string phase_of(const std::string& body) {
    const auto parsed = tv::parse_json(body);
    return parsed.value && parsed.value->is_object() ? parsed.value->value("phase", "") : "";
}

const Wire reset{.bytes = "", .reset = true};
const Wire cut_short{"HTTP/1.1 200 OK\r\ncontent-length: 40\r\n\r\n{\"ok\":tr"};

struct PhaseRow {
    const char* fault;
    Answers answers;  // given the phase; the plan is answered before
    int status;
    bool delivered;
    std::string err_line;  // one line the run must write to standard error
    std::vector<std::string> phases;
};

class PhaseFaultsSlow : public testing::Test {
protected:
    void check(const std::string& command, const std::string& plan, const std::vector<PhaseRow>& rows) {
        for (const PhaseRow& row : rows) {
            std::filesystem::remove(path_);
            tvtest::FakeApp app([&](const tvtest::Request& request) {
                const std::string phase = phase_of(request.body);
                const Wire answer = row.answers(phase);
                if (phase == "plan" && answer.bytes.empty() && !answer.reset) return tvtest::json_answer(plan);
                return answer;
            });
            const auto r = tvtest::run_ctl({command, "--prompt", "kite"}, tvtest::pane_env(app.port()));
            std::vector<std::string> phases;
            for (const auto& request : app.requests()) phases.push_back(phase_of(request.body));
            const std::string err_line = tvtest::replaced(row.err_line, "{port}", std::to_string(app.port()));
            EXPECT_EQ(r.status, row.status) << row.fault;
            EXPECT_EQ(r.out, row.delivered ? path_ + "\n" : "") << row.fault;
            EXPECT_NE(r.err.find("tarvolt-ctl: " + err_line + "\n"), std::string::npos) << row.fault << ":\n" << r.err;
            EXPECT_EQ(phases, row.phases) << row.fault;
        }
    }

    tvtest::ScratchDir scratch_{"phase-faults"};
    const std::string path_ = (scratch_ / "out.bin").string();
};

Wire ok() { return tvtest::json_answer(R"({"ok":true})"); }
Wire plan_answer() { return Wire{}; }  // the test's own plan
Wire json(const std::string& text) { return tvtest::json_answer(text); }

TEST_F(PhaseFaultsSlow, ImageSteps) {
    const std::string plan = R"({"ok":true,"outputPath":")" + path_ + R"(","attempts":[
            {"kind":"api","timeoutMs":60000,"apiId":"or-1","apiName":"OpenRouter","model":"a/b"},
            {"kind":"command","timeoutMs":20000,"imageCliId":"codex-image","toolName":"Codex","model":"m",
             "commandLine":"printf png > ')" +
                             path_ + R"('"}]})";
    const std::string transport = "could not talk to the tarvolt on port {port}: ";
    // The start is refused unless a row names its answer; a started job fails
    // at its first poll.
    const auto with = [](std::map<std::string, Wire> named) {
        return [named](const std::string& p) {
            if (const auto found = named.find(p); found != named.end()) return found->second;
            if (p == "api-start") return json(R"({"ok":false,"error":"402"})");
            if (p == "api-poll") return json(R"({"ok":true,"status":"failed","detail":"402"})");
            return p == "plan" ? plan_answer() : ok();
        };
    };
    const Wire job = json(R"({"ok":true,"jobId":"j"})");
    const std::vector<std::string> plan_only = {"plan"};
    const std::vector<std::string> fell_back = {"plan", "api-start", "failure", "record"};
    const std::vector<std::string> polled = {"plan", "api-start", "api-poll", "failure", "record"};
    const std::vector<PhaseRow> rows = {
        {"plan answered with an array", with({{"plan", json("[]")}}), 1, false, "unknown tarvolt error", {"plan"}},
        {"plan answered with a started job", with({{"plan", job}}), 1, false,
         "the tarvolt image plan carries no \"attempts\"", plan_only},
        {"plan cut short", with({{"plan", cut_short}}), 1, false,
         "invalid response from the tarvolt: EOF while parsing a value at line 1 column 8", plan_only},
        {"plan reset", with({{"plan", reset}}), 1, false, transport + "Connection reset by peer (os error 104)",
         plan_only},
        {"start answered with a plan", with({{"api-start", json(plan)}}), 0, true,
         "OpenRouter the tarvolt started no job for this API", fell_back},
        {"start answered with a number as job", with({{"api-start", json(R"({"ok":true,"jobId":7})")}}), 0, true,
         "OpenRouter the tarvolt started no job for this API", fell_back},
        {"start reset", with({{"api-start", reset}}), 0, true,
         "OpenRouter " + transport + "Connection reset by peer (os error 104)", fell_back},
        {"poll answered with an array", with({{"api-start", job}, {"api-poll", json("[1]")}}), 0, true,
         "OpenRouter unknown tarvolt error", polled},
        {"poll cut short", with({{"api-start", job}, {"api-poll", cut_short}}), 0, true,
         "OpenRouter invalid response from the tarvolt: EOF while parsing a value at line 1 column 8", polled},
        {"failure report reset", with({{"failure", reset}}), 0, true,
         "could not report the failed image attempt: " + transport + "Connection reset by peer (os error 104)",
         fell_back},
        {"failure report answered with a plan", with({{"failure", json(R"({"ok":"yes","attempts":[]})")}}), 0, true,
         "could not report the failed image attempt: unknown tarvolt error", fell_back},
        {"record cut short", with({{"record", cut_short}}), 0, true,
         "the image was generated but not recorded: invalid response from the tarvolt: EOF while parsing a value at "
         "line 1 column 8",
         fell_back},
    };
    check("image", plan, rows);
}

TEST_F(PhaseFaultsSlow, VideoSteps) {
    const std::string plan = R"({"ok":true,"outputPath":")" + path_ + R"(","registeredApiCount":1,"attempts":[
        {"kind":"api","apiId":"a1","apiName":"Sora","timeoutMs":60000,"pollIntervalMs":0}]})";
    const auto with = [this](std::string phase, Wire wire) {
        return [this, phase, wire](const std::string& p) {
            if (p == phase) return wire;
            if (p == "api-start") return json(R"({"ok":true,"jobId":"j"})");
            if (p == "api-poll") {
                std::ofstream(path_) << "Y4M";
                return json(R"({"ok":true,"status":"succeeded"})");
            }
            return p == "plan" ? plan_answer() : ok();
        };
    };
    const std::vector<std::string> started = {"plan", "api-start", "failure"};
    const std::vector<std::string> polled = {"plan", "api-start", "api-poll", "failure"};
    const std::vector<std::string> recorded = {"plan", "api-start", "api-poll", "record"};
    const std::vector<PhaseRow> rows = {
        {"start answered with a number", with("api-start", json("7")), 1, false, "Sora unknown tarvolt error", started},
        {"poll reset", with("api-poll", reset), 1, false,
         "Sora could not talk to the tarvolt on port {port}: Connection reset by peer (os error 104)", polled},
        {"record answered with an array", with("record", json("[]")), 0, true,
         "the video was generated but not recorded: unknown tarvolt error", recorded},
    };
    check("video", plan, rows);
}

// Answers without a status of the agreed kind, such as those meant for
// another step, leave the job running until the caller stops waiting.
TEST(PhaseFaults, PollsWithoutAKnownStatusWaitOutTheJob) {
    const char* answers[] = {
        R"({"ok":true,"jobId":"j"})",
        R"({"ok":true,"attempts":[],"outputPath":"/x"})",
        R"({"ok":true,"status":["failed"]})",
        R"({"ok":true,"status":{"succeeded":true}})",
        R"({"ok":true,"status":null,"detail":"x"})",
    };
    tv::ImageAttempt attempt;
    attempt.kind = tv::SourceKind::registered_api;
    attempt.api_id = "a";
    attempt.timeout = tv::duration_from_ms(1000);
    for (const char* answer : answers) {
        tvtest::ScriptedApp app;
        app.replies = {tvtest::reply(R"({"ok":true,"jobId":"j"})"), tvtest::reply(answer)};
        const tv::AttemptOutcome out = tv::run_app_job(tv::image_api_job(attempt, "p", "/nowhere"), "o", app.ports());
        EXPECT_EQ(out.reason, "was still running after 1 minute(s), so this caller stopped waiting") << answer;
        EXPECT_GT(app.sent.size(), 10u) << answer;
    }
}

}  // namespace
