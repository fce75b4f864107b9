// What a real app would refuse: a wrong or missing token, a pane it never
// opened, bodies that are not what the client sends. The stand-in answers
// every one with `ok` false and an `error`, and keeps serving.
#include "devapp/devapp_process.h"

#include <gtest/gtest.h>

namespace {

using devapptest::Devapp;
using tv::Json;

TEST(DevappRequests, TokenIsChecked) {
    Devapp app;
    EXPECT_EQ(tvtest::run_ctl({"list"}, tvtest::pane_env(app.port, "orchestrator", "guess")),
              tvtest::refused("wrong x-tarvolt-token: this is not the token of this app's panes"));
    // A token that only starts like the right one is no better.
    EXPECT_EQ(app.post_text(R"({"command":"list","from":"orchestrator"})", app.token + app.token)["ok"], false);
    const std::string none =
        app.exchange("POST /control HTTP/1.1\r\nhost: 127.0.0.1\r\nconnection: close\r\ncontent-length: 2\r\n\r\n{}");
    EXPECT_EQ(none.rfind("HTTP/1.1 401", 0), 0u) << none;
    EXPECT_NE(
        none.find(
            R"({"ok":false,"error":"missing x-tarvolt-token header: this endpoint answers only the panes of its own app"})"),
        std::string::npos)
        << none;
}

TEST(DevappRequests, MalformedBodiesAreRefusedWithAReason) {
    Devapp app;
    const struct {
        std::string body;
        std::string error;
    } cases[] = {
        {"", "the request body is not JSON: EOF while parsing a value at line 1 column 0"},
        {std::string(200, '['), "the request body is not JSON: recursion limit exceeded at line 1 column 129"},
        {"[]", "the request body must be a JSON object with \"command\" and \"from\""},
        {"{}", "missing \"command\": this request needs it as a string"},
        {R"({"command":7})", "\"command\" must be a string, not a number"},
        {R"({"command":"Spawn","from":"orchestrator"})",
         "unknown command \"Spawn\"; this app knows: spawn, send, standby, resume, close, merge, done, progress, "
         "image, video, "
         "artifact, request, history, list, status, inbox, ack, note, brief, skills, models, quota, install-skill"},
        {R"({"command":"list","from":null})", "\"from\" must be a string, not null"},
        {R"({"command":"list","from":"api-7"})",
         "no pane named \"api-7\" in this workstation; TARVOLT_TERMINAL_NAME must "
         "name a pane of this app (\"tarvolt-ctl list\" shows them)"},
        {R"({"command":"spawn","from":"orchestrator","task":"  "})",
         "\"task\" is empty; this request needs it written out"},
        {R"({"command":"spawn","from":"orchestrator","task":"t","skillIds":"a"})",
         "\"skillIds\" must be an array of strings, not a string"},
        {R"({"command":"spawn","from":"orchestrator","task":"t","mcpIds":[1]})",
         "\"mcpIds\" must hold only strings, not a number"},
        {R"({"command":"spawn","from":"orchestrator","task":"t","cli":{}})", "\"cli\" must be a string, not an object"},
        {R"({"command":"send","from":"orchestrator","to":"orchestrator","message":"hi"})",
         "\"orchestrator\" is your own pane; send a message to another terminal"},
        {R"({"command":"close","from":"orchestrator","terminal":"orchestrator"})",
         "\"orchestrator\" is the orchestrator's own pane; only subagents can be closed"},
        {R"({"command":"merge","from":"orchestrator","toMain":"yes"})",
         "\"toMain\" must be true or false, not a string"},
        {R"({"command":"merge","from":"orchestrator","versionBump":"minor"})",
         "--bump chooses the version increment of an integration; it only goes with --to-main"},
        {R"({"command":"note","from":"orchestrator","text":"t","kind":"memo"})",
         "invalid kind \"memo\"; use one of: plan, decision, question, summary"},
        {R"({"command":"image","from":"orchestrator","phase":"draw"})",
         "unknown image phase \"draw\"; use one of: sources, plan, api-start, api-poll, failure, record"},
        {R"({"command":"image","from":"orchestrator","phase":"plan","prompt":"a\u0000b"})",
         "the prompt holds a NUL character"},
        {R"({"command":"video","from":"orchestrator","phase":"api-poll","jobId":["x"]})",
         "\"jobId\" must be a string, not an array"},
        {R"({"command":"artifact","from":"orchestrator","path":"x"})",
         "an artifact belongs to a task, and \"orchestrator\" was given none"},
        {R"({"command":"install-skill","from":"orchestrator","id":"Bad Id","name":"n","description":"d","content":"c"})",
         "the skill id \"Bad Id\" is not kebab-case (lower-case letters and digits joined by single hyphens)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app.post_text(c.body), Json({{"ok", false}, {"error", c.error}})) << c.body;
    }
    const std::string get = app.exchange("GET /control HTTP/1.1\r\nhost: 127.0.0.1\r\nconnection: close\r\n\r\n");
    EXPECT_NE(get.find(R"({"ok":false,"error":"the stand-in app answers only POST /control, not GET /control"})"),
              std::string::npos)
        << get;
    EXPECT_NE(app.exchange("garbage\r\n\r\n").find(R"({"ok":false,"error":"malformed HTTP request"})"),
              std::string::npos);
    // Still serving, and nothing above changed the workstation.
    EXPECT_EQ(app.ctl({"list"}).out,
              "orchestrator  [orchestrator]  running  (codex)  model gpt-5-codex, effort high\n");
}

TEST(DevappRequests, StopsCleanlyOnSignalsAndRefusesBadOptions) {
    Devapp by_interrupt;
    EXPECT_EQ(by_interrupt.stop(SIGINT), 0);
    Devapp by_hangup;
    EXPECT_EQ(by_hangup.stop(SIGHUP), 0);

    const auto run = [](std::vector<std::string> args) {
        args.insert(args.begin(), TARVOLT_DEVAPP_PATH);
        return tvtest::run(args);
    };
    Devapp taken;
    const std::string port = std::to_string(taken.port);
    EXPECT_EQ(run({"--quiet", "--dir", taken.folder, "--port", port}),
              (tvtest::RunResult{
                  1, "", "tarvolt-devapp: could not listen on 127.0.0.1:" + port + ": Address already in use\n"}));
    EXPECT_EQ(run({"--fail", "dalle"}),
              (tvtest::RunResult{
                  2, "", "tarvolt-devapp: unknown source id \"dalle\" for --fail; see tarvolt-devapp --help\n"}));
    EXPECT_EQ(run({"--port"}), (tvtest::RunResult{2, "", "tarvolt-devapp: the option \"--port\" needs a value\n"}));
    EXPECT_EQ(run({"draw", "--out", "x.png"}),
              (tvtest::RunResult{2, "", "tarvolt-devapp draw: draw needs --prompt\n"}));
}

}  // namespace
