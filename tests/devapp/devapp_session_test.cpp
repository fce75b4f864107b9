// The stand-in's workstation through the real client, beyond the demo's
// session: panes going to standby and back, routing, reports whose work did
// not reach the worktree, the marco's carry-over, the orchestrator's own
// commands, and the journal.
#include "devapp/devapp_process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace {

using devapptest::Devapp;

struct Step {
    std::vector<std::string> args;
    std::string as;  // pane name; empty for the orchestrator
    int status;
    std::string out;
    std::string err;
};

void run_steps(const Devapp& app, const std::vector<Step>& steps) {
    static const std::regex moment("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
    for (const Step& s : steps) {
        auto r = app.ctl(s.args, s.as);
        r.out = std::regex_replace(r.out, moment, "<t>");
        EXPECT_EQ(r, (tvtest::RunResult{s.status, s.out, s.err})) << testing::PrintToString(s.args) << " as " << s.as;
    }
}

const std::string running1 = "pending: 1 task(s) still running\n";
const std::string orchestrator_line =
    "orchestrator  [orchestrator]  running  (codex)  model gpt-5-codex, effort high\n";

TEST(DevappSession, PaneLifecycleFromSpawnToTheSecondClose) {
    Devapp app;
    const std::string to_standby =
        "subterminal moved to standby: tests-1 (same live CLI context preserved; close this "
        "standby name again to terminate it)\n" +
        running1;
    run_steps(
        app,
        {
            {{"spawn", "--task", "write the login page tests"},
             "",
             0,
             "subterminal created: tests-1 (cli codex, model gpt-5, effort medium, category tests)\n" + running1,
             ""},
            {{"standby", "--terminal", "tests-1"},
             "",
             0,
             "subterminal moved to standby: tests-1 (pane hidden; same live CLI context preserved; resume it without a "
             "task with \"tarvolt-ctl resume --terminal tests-1\")\n" +
                 running1,
             ""},
            {{"standby", "--terminal", "tests-1"},
             "",
             1,
             "",
             "tarvolt-ctl: \"tests-1\" is already in standby; bring it back with \"tarvolt-ctl resume --terminal "
             "tests-1\"\n"},
            // A message to a parked pane resumes it first.
            {{"send", "--to", "tests-1", "--message", "cover the lockout too"}, "", 0, "message sent\n" + running1, ""},
            {{"resume", "--terminal", "tests-1"},
             "",
             1,
             "",
             "tarvolt-ctl: \"tests-1\" is not in standby (it is running); there is nothing to resume\n"},
            {{"close", "--terminal", "tests-1"}, "", 0, to_standby, ""},
            {{"resume", "--terminal", "tests-1"},
             "",
             0,
             "subterminal resumed: tests-1 (running; same live CLI and prior context restored; no task was "
             "assigned)\n" +
                 running1,
             ""},
            {{"close", "--terminal", "tests-1"}, "", 0, to_standby, ""},
            {{"close", "--terminal", "tests-1"},
             "",
             0,
             "subterminal terminated: tests-1 (its live CLI context is no longer recoverable)\n",
             ""},
            {{"list"}, "", 0, orchestrator_line, ""},
            {{"send", "--to", "tests-1", "--message", "hello"},
             "",
             1,
             "",
             "tarvolt-ctl: no live terminal named \"tests-1\"; \"tarvolt-ctl list\" shows them\n"},
            // A closed pane's name no longer speaks for anyone.
            {{"list"}, "tests-1", 1, "", "tarvolt-ctl: the pane \"tests-1\" was closed; its CLI process is gone\n"},
        });
}

TEST(DevappSession, SpawnRoutingFollowsCliModelAndCategory) {
    Devapp app;
    run_steps(
        app,
        {
            // The leader of review cannot run here: the default CLI takes it, and says why.
            {{"spawn", "--task", "review the login form", "--mcps", "browser"},
             "",
             0,
             "subterminal created: review-1 (cli codex, model gpt-5-codex, effort medium, category review)\n"
             "leaderboard routing: the leader cursor composer-1 medium cannot run here (cursor is not installed on "
             "this "
             "machine); the workstation default codex runs this task\n"
             "warning: MCP browser is set up for claude only; this codex subterminal starts without it\n" +
                 running1,
             ""},
            {{"spawn", "--task", "fix the api", "--cli", "claude", "--complexity", "alta"},
             "",
             0,
             "subterminal created: backend-2 (cli claude, model claude-sonnet-4-5, effort high, category backend)\n"
             "pending: 2 task(s) still running\n",
             ""},
            {{"spawn", "--task", "draw a logo", "--category", "images"},
             "",
             0,
             "subterminal created: images-3 (cli codex, model gpt-5, effort low, category images)\n"
             "image tool for this task: grok-imagine (the CLI above only runs its command)\n"
             "pending: 3 task(s) still running\n",
             ""},
            {{"spawn", "--task", "x", "--cli", "grok"},
             "",
             1,
             "",
             "tarvolt-ctl: the spawn was refused before opening a terminal: grok is installed but not logged in (run "
             "its "
             "login in a terminal)\n"},
            {{"spawn", "--task", "x", "--model", "gpt-5-mini"},
             "",
             1,
             "",
             "tarvolt-ctl: the model \"gpt-5-mini\" is turned off for codex on the setup screen\n"},
            {{"spawn", "--task", "x", "--category", "ops"},
             "",
             1,
             "",
             "tarvolt-ctl: invalid category \"ops\"; use one of: backend, frontend, tests, docs, refactor, review, "
             "images\n"},
            {{"spawn", "--task", "x", "--skills", "nope"},
             "",
             1,
             "",
             "tarvolt-ctl: unknown skill id \"nope\"; \"tarvolt-ctl skills --for \\\"x\\\"\" lists the ones that "
             "fit\n"},
        });
}

TEST(DevappSession, AckClosesCommittedPanesAndKeepsTheOthers) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "write the login page tests"}).status, 0);
    ASSERT_EQ(app.ctl({"spawn", "--task", "document the login page"}).status, 0);
    const std::string delivered =
        "report delivered to the orchestrator; this terminal stays visible and idle until "
        "the orchestrator accepts it, then moves to standby\n";
    run_steps(
        app,
        {
            {{"done", "--report", "nothing to report"},
             "",
             1,
             "",
             "tarvolt-ctl: done delivers a subagent's report to its orchestrator; the orchestrator has nobody to "
             "report to\n"},
            {{"progress", "--point", "half the docs", "--uncommitted", "README draft"},
             "docs-2",
             0,
             "progress recorded in the workstation ledger\n",
             ""},
            {{"done", "--report", "tests written"}, "tests-1", 0, delivered, ""},
            {{"done", "--report", "docs drafted"}, "docs-2", 0, delivered, ""},
            {{"inbox"}, "tests-1", 0, "no unread report\n", ""},
            {{"merge"},
             "",
             1,
             "",
             "tarvolt-ctl: 2 subagent report(s) are not accepted yet: read them with \"tarvolt-ctl inbox\" and accept "
             "them with \"tarvolt-ctl ack\" first\n"},
            {{"ack", "--report", "r9"},
             "",
             1,
             "",
             "tarvolt-ctl: no unread report \"r9\"; \"tarvolt-ctl inbox\" lists the unread ones\n"},
            // The committed work closes its pane; the uncommitted one stays open.
            {{"ack"},
             "",
             0,
             "acknowledged 2 report(s); closed for good, their work is in your worktree: tests-1; still open because "
             "their work did not reach your worktree: docs-2\n",
             ""},
            {{"ack"}, "", 0, "no report needed acknowledging\n", ""},
            {{"inbox"}, "", 0, "no unread report\n", ""},
            {{"merge"},
             "",
             1,
             "",
             "tarvolt-ctl: \"docs-2\" still has uncommitted work that did not reach this worktree; have it commit and "
             "report again, or close it\n"},
        });
    const auto status = app.ctl({"status"}).out;
    EXPECT_NE(status.find("  docs-2  [subagent]  idle  \"document the login page\" [reported]\n"), std::string::npos)
        << status;
}

TEST(DevappSession, MarcoKeepsWhatALaterCallDidNotMention) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "fix the api"}).status, 0);
    const std::string recorded = "progress recorded in the workstation ledger\n";
    const std::string kept = "kept from the marco you are replacing, because this call did not mention them:\n";
    const std::string retire = "retire one by passing it empty, like --next-step \"\"\n";
    run_steps(app, {
                       {{"progress"},
                        "backend-1",
                        0,
                        "no marco recorded yet; record one with \"tarvolt-ctl progress --point <where you are>\"\n",
                        ""},
                       {{"progress", "--next-step", "x"},
                        "backend-1",
                        1,
                        "",
                        "tarvolt-ctl: a first marco needs --point: say where this panel is\n"},
                       {{"progress", "--point", "routes drafted", "--next-step", "add auth", "--discarded", "GraphQL"},
                        "backend-1",
                        0,
                        recorded,
                        ""},
                       {{"progress", "--point", "auth added", "--uncommitted", "auth.cpp"},
                        "backend-1",
                        0,
                        recorded + kept +
                            "  next step: add auth (stated at <t>)\n  discarded: GraphQL (stated at <t>)\n" + retire,
                        ""},
                       // Retired with an empty value, the field is neither carried nor shown.
                       {{"progress", "--next-step", ""},
                        "backend-1",
                        0,
                        recorded + kept +
                            "  point: auth added (stated at <t>)\n  uncommitted: auth.cpp (stated at <t>)\n"
                            "  discarded: GraphQL (stated at <t>)\n" +
                            retire,
                        ""},
                       {{"progress"},
                        "backend-1",
                        0,
                        "marco recorded at <t>\npoint: auth added\nuncommitted: auth.cpp\ndiscarded: GraphQL\n",
                        ""},
                   });
}

TEST(DevappSession, SubagentsAreRefusedTheOrchestratorsCommands) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "fix the api"}).status, 0);
    const std::vector<std::string> install = {"install-skill",  "--id", "a-b", "--name", "n", "--description", "d",
                                              "--instructions", "i"};
    for (const auto& args : std::vector<std::vector<std::string>>{{"standby", "--terminal", "backend-1"},
                                                                  {"resume", "--terminal", "backend-1"},
                                                                  {"close", "--terminal", "backend-1"},
                                                                  {"merge"},
                                                                  {"request", "--summary", "more"},
                                                                  install}) {
        const auto r = app.ctl(args, "backend-1");
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_EQ(r.err, "tarvolt-ctl: " + args[0] +
                             " is for the orchestrator only, and \"backend-1\" is a subagent; "
                             "ask the orchestrator with \"tarvolt-ctl send\" or put it in your report\n")
            << args[0];
    }
    // Refused, they changed nothing; the orchestrator may.
    EXPECT_EQ(app.ctl({"list"}).out,
              orchestrator_line +
                  "backend-1  [subagent]  running  (codex)  model gpt-5-codex, effort high, category backend\n" +
                  running1);
    EXPECT_EQ(app.ctl(install).out,
              "app skill installed: a-b (n); it is enabled and visible in Settings > Skills\n" + running1);
}

TEST(DevappSession, HistoryOwnsUpToTasksWithoutAPrice) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "fix the api", "--cli", "opencode"}).status, 0);
    const auto r = app.ctl({"history"});
    EXPECT_NE(r.out.find("— foi feito: (tarefas sem pedido registrado)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("*** VALOR TOTAL EM DÓLARES: desconhecido (1 tarefa(s) sem preço) ***"), std::string::npos)
        << r.out;
    EXPECT_EQ(app.ctl({"history", "--day", "1999-01-01"}).out,
              "nenhum histórico encontrado para os filtros informados (projeto: " + app.folder + ")\n" + running1);
}

TEST(DevappSession, JournalKeepsTheLedgerAndPendingSaysWhenItCannot) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "fix the api"}).status, 0);
    std::filesystem::create_directories(app.folder + "/files");
    std::ofstream(app.folder + "/files/build.log") << "twelve bytes";
    EXPECT_EQ(app.ctl({"artifact", "--path", "files/build.log"}, "backend-1").out,
              "artifact declared: " + app.folder + "/files/build.log (12 bytes, kind file)\n");
    ASSERT_EQ(app.ctl({"list"}).status, 0);
    const std::string journal = app.folder + "/.tarvolt/journal.jsonl";
    std::ifstream in(journal);
    std::vector<tv::Json> entries;
    for (std::string line; std::getline(in, line);) entries.push_back(*tv::parse_json(line).value);
    // Changes only, in order, each with its moment; reading commands leave no line.
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]["command"], "spawn");
    EXPECT_EQ(entries[1]["command"], "artifact");
    EXPECT_EQ(entries[1]["from"], "backend-1");
    EXPECT_TRUE(entries[1]["at"].is_string());

    // A journal that cannot be written is owned up to on every later reply.
    std::filesystem::remove(journal);
    std::filesystem::create_directory(journal);
    EXPECT_EQ(
        app.ctl({"note", "--text", "try"}).out,
        "note recorded in the workstation ledger\npending: 1 task(s) still running; the workstation journal could "
        "not be written, so this ledger is incomplete\n");
    EXPECT_NE(app.ctl({"list"}).out.find("the workstation journal could not be written"), std::string::npos);
}

}  // namespace
