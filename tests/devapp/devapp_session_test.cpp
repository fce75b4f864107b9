// The stand-in's workstation beyond the demo's session, asked directly (the
// client's sentences for these replies are its renderers' to pin).
#include "devapp/devapp_process.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using devapptest::Devapp;

TEST(DevappSession, PaneLifecycleFromSpawnToTheSecondClose) {
    Devapp app;
    app.replies(R"~(
{"command":"spawn","from":"orchestrator","task":"write the login page tests"} => {"ok":true,"terminalName":"tests-1","cliId":"codex","model":"gpt-5","effort":"medium","category":"tests","mcpWarnings":[],"pending":"0/1"}
{"command":"standby","from":"orchestrator","terminal":"tests-1"} => {"ok":true,"terminalName":"tests-1","pending":"0/1"}
{"command":"standby","from":"orchestrator","terminal":"tests-1"} => {"ok":false,"error":"\"tests-1\" is already in standby; bring it back with \"tarvolt-ctl resume --terminal tests-1\""}
# A message to a parked pane resumes it first.
{"command":"send","from":"orchestrator","to":"tests-1","message":"cover the lockout too"} => {"ok":true,"terminalName":"tests-1","resumed":true,"mcpWarnings":[],"pending":"0/1"}
{"command":"resume","from":"orchestrator","terminal":"tests-1"} => {"ok":false,"error":"\"tests-1\" is not in standby (it is running); there is nothing to resume"}
{"command":"close","from":"orchestrator","terminal":"tests-1"} => {"ok":true,"disposition":"standby","terminalName":"tests-1","pending":"0/1"}
{"command":"resume","from":"orchestrator","terminal":"tests-1"} => {"ok":true,"terminalName":"tests-1","status":"running","pending":"0/1"}
{"command":"close","from":"orchestrator","terminal":"tests-1"} => {"ok":true,"disposition":"standby","terminalName":"tests-1","pending":"0/1"}
{"command":"close","from":"orchestrator","terminal":"tests-1"} => {"ok":true,"disposition":"terminated","terminalName":"tests-1","pending":"0/0"}
{"command":"list","from":"orchestrator"} => {"ok":true,"terminals":[{"name":"orchestrator","role":"orchestrator","status":"running","cliId":"codex","model":"gpt-5-codex","effort":"high"}],"pending":"0/0"}
{"command":"send","from":"orchestrator","to":"tests-1","message":"hello"} => {"ok":false,"error":"no live terminal named \"tests-1\"; \"tarvolt-ctl list\" shows them"}
# A closed pane's name no longer speaks for anyone.
{"command":"list","from":"tests-1"} => {"ok":false,"error":"the pane \"tests-1\" was closed; its CLI process is gone"}
)~");
}

TEST(DevappSession, SpawnRoutingFollowsCliModelAndCategory) {
    Devapp app;
    app.replies(R"~(
# The leader of review cannot run here: the default CLI takes it, and says why.
{"command":"spawn","from":"orchestrator","task":"review the login form","mcpIds":["browser"]} => {"ok":true,"terminalName":"review-1","cliId":"codex","model":"gpt-5-codex","effort":"medium","category":"review","fallbackReason":"the leader cursor composer-1 medium cannot run here (cursor is not installed on this machine); the workstation default codex runs this task","mcpWarnings":["MCP browser is set up for claude only; this codex subterminal starts without it"],"pending":"0/1"}
{"command":"spawn","from":"orchestrator","task":"fix the api","cli":"claude","complexity":"alta"} => {"ok":true,"terminalName":"backend-2","cliId":"claude","model":"claude-sonnet-4-5","effort":"high","category":"backend","mcpWarnings":[],"pending":"0/2"}
{"command":"spawn","from":"orchestrator","task":"draw a logo","category":"images"} => {"ok":true,"terminalName":"images-3","cliId":"codex","model":"gpt-5","effort":"low","category":"images","imageTool":"grok-imagine","mcpWarnings":[],"pending":"0/3"}
{"command":"spawn","from":"orchestrator","task":"x","cli":"grok"} => {"ok":false,"error":"the spawn was refused before opening a terminal: grok is installed but not logged in (run its login in a terminal)"}
{"command":"spawn","from":"orchestrator","task":"x","model":"gpt-5-mini"} => {"ok":false,"error":"the model \"gpt-5-mini\" is turned off for codex on the setup screen"}
{"command":"spawn","from":"orchestrator","task":"x","category":"ops"} => {"ok":false,"error":"invalid category \"ops\"; use one of: backend, frontend, tests, docs, refactor, review, images"}
{"command":"spawn","from":"orchestrator","task":"x","skillIds":["nope"]} => {"ok":false,"error":"unknown skill id \"nope\"; \"tarvolt-ctl skills --for \\\"x\\\"\" lists the ones that fit"}
)~");
}

TEST(DevappSession, AckClosesCommittedPanesAndKeepsTheOthers) {
    Devapp app;
    app.ask("spawn", {{"task", "write the login page tests"}});
    app.ask("spawn", {{"task", "document the login page"}});
    app.replies(R"~(
{"command":"done","from":"orchestrator","report":"nothing to report"} => {"ok":false,"error":"done delivers a subagent's report to its orchestrator; the orchestrator has nobody to report to"}
{"command":"progress","from":"docs-2","point":"half the docs","uncommitted":"README draft"} => {"ok":true,"carried":[],"pending":"0/0"}
{"command":"done","from":"tests-1","report":"tests written"} => {"ok":true,"delivered":true,"reportId":"r1","pending":"0/0"}
{"command":"done","from":"docs-2","report":"docs drafted"} => {"ok":true,"delivered":true,"reportId":"r2","pending":"0/0"}
{"command":"inbox","from":"tests-1"} => {"ok":true,"reports":[],"pending":"0/0"}
{"command":"merge","from":"orchestrator"} => {"ok":false,"error":"2 subagent report(s) are not accepted yet: read them with \"tarvolt-ctl inbox\" and accept them with \"tarvolt-ctl ack\" first"}
{"command":"ack","from":"orchestrator","reportId":"r9"} => {"ok":false,"error":"no unread report \"r9\"; \"tarvolt-ctl inbox\" lists the unread ones"}
# The committed work closes its pane; the uncommitted one stays open.
{"command":"ack","from":"orchestrator"} => {"ok":true,"acknowledgedReportIds":["r1","r2"],"closedTerminalNames":["tests-1"],"closedWithoutCommitsTerminalNames":[],"closedInPlainFolderTerminalNames":[],"keptTerminalNames":["docs-2"],"pending":"0/0"}
{"command":"ack","from":"orchestrator"} => {"ok":true,"acknowledgedReportIds":[],"closedTerminalNames":[],"closedWithoutCommitsTerminalNames":[],"closedInPlainFolderTerminalNames":[],"keptTerminalNames":[],"pending":"0/0"}
{"command":"inbox","from":"orchestrator"} => {"ok":true,"reports":[],"pending":"0/0"}
{"command":"merge","from":"orchestrator"} => {"ok":false,"error":"\"docs-2\" still has uncommitted work that did not reach this worktree; have it commit and report again, or close it"}
# Back from standby, the idle pane is idle again.
{"command":"standby","from":"orchestrator","terminal":"docs-2"} => {"ok":true,"terminalName":"docs-2","pending":"0/0"}
{"command":"resume","from":"orchestrator","terminal":"docs-2"} => {"ok":true,"terminalName":"docs-2","status":"idle","pending":"0/0"}
)~");
    EXPECT_EQ(
        tv::to_compact_text(app.ask("status")["panels"][2]),
        R"({"name":"docs-2","role":"subagent","terminalStatus":"idle","taskText":"document the login page","taskStatus":"reported","reportUnread":false,"progressPoint":"half the docs"})");
}

TEST(DevappSession, SubagentsKeepTheirMarcoAndAreRefusedTheOrchestratorsCommands) {
    Devapp app;
    app.ask("spawn", {{"task", "fix the api"}});
    const std::string refused =
        R"( is for the orchestrator only, and \"backend-1\" is a subagent; ask the orchestrator with \"tarvolt-ctl send\" or put it in your report"})";
    // Refused before any member is read, so nothing changed.
    for (const std::string command : {"standby", "resume", "close", "merge", "request", "install-skill"})
        EXPECT_EQ(tv::to_compact_text(app.ask(command, tv::Json::object(), "backend-1")),
                  R"({"ok":false,"error":")" + command + refused);
    app.replies(R"~(
{"command":"progress","from":"backend-1"} => {"ok":true,"marco":null,"pending":"0/0"}
{"command":"progress","from":"backend-1","nextStep":"x"} => {"ok":false,"error":"a first marco needs --point: say where this panel is"}
{"command":"progress","from":"backend-1","point":"routes drafted","nextStep":"add auth","discarded":"GraphQL"} => {"ok":true,"carried":[],"pending":"0/0"}
{"command":"progress","from":"backend-1","point":"auth added","uncommitted":"auth.cpp"} => {"ok":true,"carried":[{"field":"nextStep","value":"add auth","at":"<t>"},{"field":"discarded","value":"GraphQL","at":"<t>"}],"pending":"0/0"}
# Retired with an empty value, the field is neither carried nor shown.
{"command":"progress","from":"backend-1","nextStep":""} => {"ok":true,"carried":[{"field":"point","value":"auth added","at":"<t>"},{"field":"uncommitted","value":"auth.cpp","at":"<t>"},{"field":"discarded","value":"GraphQL","at":"<t>"}],"pending":"0/0"}
{"command":"progress","from":"backend-1"} => {"ok":true,"marco":{"at":"<t>","point":"auth added","uncommitted":"auth.cpp","nextStep":"","discarded":"GraphQL","uncommittedAt":"<t>","nextStepAt":"<t>","discardedAt":"<t>"},"pending":"0/0"}
{"command":"install-skill","from":"orchestrator","id":"a-b","name":"n","description":"d","content":"i"} => {"ok":true,"skillId":"a-b","skillName":"n","pending":"0/1"}
)~");
}

TEST(DevappSession, HistoryOwnsUpToTasksWithoutAPrice) {
    Devapp app;
    app.ask("spawn", {{"task", "fix the api"}, {"cli", "opencode"}});
    const tv::Json request = app.ask("history")["days"][0]["requests"][0];
    EXPECT_EQ(request["summary"], "(tarefas sem pedido registrado)");
    EXPECT_EQ(request["totals"]["unpricedTaskCount"], 1);
    EXPECT_EQ(request["tasks"][0]["costUsd"], nullptr);
    EXPECT_EQ(app.normalized(tv::to_compact_text(app.ask("history", {{"day", "1999-01-01"}}))),
              R"({"ok":true,"projectKey":"{folder}","days":[],"pending":"0/1"})");
}

TEST(DevappSession, JournalKeepsTheLedgerAndPendingSaysWhenItCannot) {
    Devapp app;
    std::ofstream(app.folder + "/build.log") << "twelve bytes";
    app.replies(R"~(
{"command":"spawn","from":"orchestrator","task":"fix the api"} => {"ok":true,"terminalName":"backend-1","cliId":"codex","model":"gpt-5-codex","effort":"high","category":"backend","mcpWarnings":[],"pending":"0/1"}
{"command":"artifact","from":"backend-1","path":"build.log"} => {"ok":true,"path":"{folder}/build.log","bytes":12,"kind":"file","pending":"0/0"}
{"command":"request","from":"orchestrator","summary":"ship it"} => {"ok":true,"requestId":"q1","pending":"0/1"}
{"command":"list","from":"orchestrator"} => {"ok":true,"terminals":[{"name":"orchestrator","role":"orchestrator","status":"running","cliId":"codex","model":"gpt-5-codex","effort":"high"},{"name":"backend-1","role":"subagent","status":"running","cliId":"codex","model":"gpt-5-codex","effort":"high","category":"backend"}],"pending":"0/1"}
)~");
    // Changes only, in order, each with its moment; reading commands leave no line.
    const std::string journal = app.folder + "/.tarvolt/journal.jsonl";
    EXPECT_EQ(app.normalized(tvtest::read_file(journal)),
              R"~({"at":"<t>","command":"spawn","from":"orchestrator","task":"fix the api"}
{"at":"<t>","command":"artifact","from":"backend-1","path":"build.log"}
{"at":"<t>","command":"request","from":"orchestrator","summary":"ship it"}
)~");

    // A journal that cannot be written is owned up to on every later reply.
    std::filesystem::remove(journal);
    std::filesystem::create_directory(journal);
    app.replies(R"~(
{"command":"note","from":"orchestrator","text":"try"} => {"ok":true,"noteId":"n1","pending":{"unreadReports":0,"runningTasks":1,"degraded":true}}
)~");
    EXPECT_EQ(app.ask("list")["pending"]["degraded"], true);
}

}  // namespace
