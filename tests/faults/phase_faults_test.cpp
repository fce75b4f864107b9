// The app answering the steps of an image run out of order, with the wrong
// shape or not at all: the plan stops the run in one sentence; a broken start
// or poll is that attempt's failure; a lost report only warns. The video
// command takes its steps through the same job and report code.
#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"
#include "values/json.h"

#include <gtest/gtest.h>

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

// Every other step is answered well: the plan of an API and then a local tool
// that draws the file, a started job whose first poll fails it, and acceptance.
TEST(PhaseFaultsSlow, ImageSteps) {
    const tvtest::ScratchDir scratch("phase-faults");
    const std::string path = (scratch / "out.bin").string();
    const std::string plan = tvtest::replaced(R"({"ok":true,"outputPath":"{path}","attempts":[
        {"kind":"api","timeoutMs":60000,"apiId":"or-1","apiName":"OpenRouter","model":"a/b"},
        {"kind":"command","timeoutMs":20000,"imageCliId":"codex-image","toolName":"Codex","model":"m","commandLine":"printf png > '{path}'"}]})",
                                              "{path}", path);
    const tvtest::Handler steps = tvtest::plan_then(plan, [](const tv::Json& body) -> std::string {
        if (body["phase"] == "api-start") return R"({"ok":true,"jobId":"j"})";
        return body["phase"] == "api-poll" ? R"({"ok":true,"status":"failed","detail":"402"})" : "";
    });
    const std::vector<std::string> fell_back = {"plan", "api-start", "failure", "record"};
    const std::vector<std::string> polled = {"plan", "api-start", "api-poll", "failure", "record"};
    const PhaseRow rows[] = {
        {"plan", json(R"({"ok":true,"jobId":"j"})"), 1, "the tarvolt image plan carries no \"attempts\"", {"plan"}},
        {"plan", reset, 1, reset_text, {"plan"}},
        {"api-start", json(R"({"ok":true,"jobId":7})"), 0, "OpenRouter the tarvolt started no job for this API",
         fell_back},
        {"api-start", reset, 0, "OpenRouter " + reset_text, fell_back},
        {"api-poll", cut_short, 0, "OpenRouter " + eof, polled},
        {"failure", reset, 0, "could not report the failed image attempt: " + reset_text, polled},
        {"record", cut_short, 0, "the image was generated but not recorded: " + eof, polled}};
    for (const PhaseRow& row : rows) {
        SCOPED_TRACE(row.phase + ": " + row.err_line);
        tvtest::FakeApp app(
            [&](const tvtest::Request& r) { return tvtest::phase_of(r) == row.phase ? row.wire : steps(r); });
        const auto r = tvtest::run_ctl({"image", "--prompt", "kite"}, tvtest::pane_env(app.port()));
        std::vector<std::string> phases;
        for (const auto& request : app.requests()) phases.push_back(tvtest::phase_of(request));
        const std::string err_line = tvtest::replaced(row.err_line, "{port}", std::to_string(app.port()));
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.out, row.status == 0 ? path + "\n" : "");
        EXPECT_NE(r.err.find("tarvolt-ctl: " + err_line + "\n"), std::string::npos) << r.err;
        EXPECT_EQ(phases, row.phases);
    }
}

}  // namespace
