// What a real app would refuse: a wrong or missing token, a pane it never
// opened, bodies that are not what the client sends. The stand-in answers
// every one with `ok` false and an `error`, and keeps serving.
#include "devapp/devapp_process.h"

#include <gtest/gtest.h>

namespace {

using devapptest::Devapp;

TEST(DevappRequests, WrongTokensAndMalformedBodiesAreRefusedWithAReason) {
    Devapp app;
    // A token that only starts like the right one is no better.
    for (const std::string& wrong : {std::string("guess"), app.token + app.token})
        EXPECT_EQ(tv::to_compact_text(app.post_text(R"({"command":"list","from":"orchestrator"})", wrong)),
                  R"({"ok":false,"error":"wrong x-tarvolt-token: this is not the token of this app's panes"})");
    const std::string get = app.exchange("GET /control HTTP/1.1\r\nhost: 127.0.0.1\r\nconnection: close\r\n\r\n");
    EXPECT_EQ(get,
              R"(HTTP/1.1 404 {"ok":false,"error":"the stand-in app answers only POST /control, not GET /control"})");
    EXPECT_EQ(app.exchange("garbage\r\n\r\n"), R"(HTTP/1.1 400 {"ok":false,"error":"malformed HTTP request"})");
    app.replies(R"~(
# An empty body: the JSON door's own sentence behind the app's.
 => {"ok":false,"error":"the request body is not JSON: EOF while parsing a value at line 1 column 0"}
[] => {"ok":false,"error":"the request body must be a JSON object with \"command\" and \"from\""}
{} => {"ok":false,"error":"missing \"command\": this request needs it as a string"}
{"command":7} => {"ok":false,"error":"\"command\" must be a string, not a number"}
{"command":"Spawn","from":"orchestrator"} => {"ok":false,"error":"unknown command \"Spawn\"; this app knows: spawn, send, standby, resume, close, merge, done, progress, image, video, artifact, request, history, list, status, inbox, ack, note, brief, skills, models, quota, install-skill"}
{"command":"list","from":null} => {"ok":false,"error":"\"from\" must be a string, not null"}
{"command":"list","from":"api-7"} => {"ok":false,"error":"no pane named \"api-7\" in this workstation; TARVOLT_TERMINAL_NAME must name a pane of this app (\"tarvolt-ctl list\" shows them)"}
{"command":"spawn","from":"orchestrator","task":"  "} => {"ok":false,"error":"\"task\" is empty; this request needs it written out"}
{"command":"spawn","from":"orchestrator","task":"t","skillIds":"a"} => {"ok":false,"error":"\"skillIds\" must be an array of strings, not a string"}
{"command":"spawn","from":"orchestrator","task":"t","mcpIds":[1]} => {"ok":false,"error":"\"mcpIds\" must hold only strings, not a number"}
{"command":"spawn","from":"orchestrator","task":"t","cli":{}} => {"ok":false,"error":"\"cli\" must be a string, not an object"}
{"command":"send","from":"orchestrator","to":"orchestrator","message":"hi"} => {"ok":false,"error":"\"orchestrator\" is your own pane; send a message to another terminal"}
{"command":"close","from":"orchestrator","terminal":"orchestrator"} => {"ok":false,"error":"\"orchestrator\" is the orchestrator's own pane; only subagents can be closed"}
{"command":"merge","from":"orchestrator","toMain":"yes"} => {"ok":false,"error":"\"toMain\" must be true or false, not a string"}
{"command":"merge","from":"orchestrator","versionBump":"minor"} => {"ok":false,"error":"--bump chooses the version increment of an integration; it only goes with --to-main"}
{"command":"note","from":"orchestrator","text":"t","kind":"memo"} => {"ok":false,"error":"invalid kind \"memo\"; use one of: plan, decision, question, summary"}
{"command":"image","from":"orchestrator","phase":"draw"} => {"ok":false,"error":"unknown image phase \"draw\"; use one of: sources, plan, api-start, api-poll, failure, record"}
{"command":"image","from":"orchestrator","phase":"plan","prompt":"a\u0000b"} => {"ok":false,"error":"the prompt holds a NUL character"}
{"command":"video","from":"orchestrator","phase":"api-poll","jobId":["x"]} => {"ok":false,"error":"\"jobId\" must be a string, not an array"}
{"command":"artifact","from":"orchestrator","path":"x"} => {"ok":false,"error":"an artifact belongs to a task, and \"orchestrator\" was given none"}
{"command":"install-skill","from":"orchestrator","id":"Bad Id","name":"n","description":"d","content":"c"} => {"ok":false,"error":"the skill id \"Bad Id\" is not kebab-case (lower-case letters and digits joined by single hyphens)"}
# Still serving, and nothing above changed the workstation.
{"command":"list","from":"orchestrator"} => {"ok":true,"terminals":[{"name":"orchestrator","role":"orchestrator","status":"running","cliId":"codex","model":"gpt-5-codex","effort":"high"}],"pending":"0/0"}
)~");
}

TEST(DevappRequests, StopsCleanlyOnSignalsAndRefusesBadOptions) {
    for (const int sig : {SIGINT, SIGHUP}) EXPECT_EQ(Devapp().stop(sig), 0) << sig;

    Devapp taken;
    const std::string port = std::to_string(taken.port);
    const std::pair<std::vector<std::string>, tvtest::RunResult> cases[] = {
        {{"--quiet", "--dir", taken.folder, "--port", port},
         {1, "", "tarvolt-devapp: could not listen on 127.0.0.1:" + port + ": Address already in use\n"}},
        {{"--fail", "dalle"},
         {2, "", "tarvolt-devapp: unknown source id \"dalle\" for --fail; see tarvolt-devapp --help\n"}},
        {{"--port"}, {2, "", "tarvolt-devapp: the option \"--port\" needs a value\n"}},
        {{"draw", "--out", "x.png"}, {2, "", "tarvolt-devapp draw: draw needs --prompt\n"}},
        {{"--panes", "tmux", "--dir", taken.folder},
         {1, "",
          "tarvolt-devapp: --panes tmux runs every pane in tmux, which is not installed here; install the Debian package \"tmux\" (apt-get install tmux)\n"}}};
    for (auto [args, result] : cases) {
        args.insert(args.begin(), TARVOLT_DEVAPP_PATH);
        EXPECT_EQ(tvtest::run(args, {"PATH=/nonexistent"}), result) << args[1];  // no tmux there
    }
}

}  // namespace
