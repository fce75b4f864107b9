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
    tvtest::RunResult result;
    std::string as = "";  // pane name; empty for the orchestrator
};

// Success with these output lines; refusal with this sentence.
Step ok(std::vector<std::string> args, const std::string& out, std::string as = "") {
    return {std::move(args), tvtest::printed(out + "\n"), std::move(as)};
}
Step refused(std::vector<std::string> args, const std::string& sentence, std::string as = "") {
    return {std::move(args), tvtest::refused(sentence), std::move(as)};
}

void run_steps(const Devapp& app, const std::vector<Step>& steps) {
    static const std::regex moment("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
    for (const Step& s : steps) {
        auto r = app.ctl(s.args, s.as);
        r.out = std::regex_replace(r.out, moment, "<t>");
        EXPECT_EQ(r, s.result) << testing::PrintToString(s.args) << " as " << s.as;
    }
}

const std::string running1 = "\npending: 1 task(s) still running";
const std::string orchestrator_line = "orchestrator  [orchestrator]  running  (codex)  model gpt-5-codex, effort high";

TEST(DevappSession, PaneLifecycleFromSpawnToTheSecondClose) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "write the login page tests"}).status, 0);
    const std::vector<std::string> close = {"close", "--terminal", "tests-1"};
    const std::vector<std::string> resume = {"resume", "--terminal", "tests-1"};
    const std::string to_standby =
        "subterminal moved to standby: tests-1 (same live CLI context preserved; close this standby name again to "
        "terminate it)" +
        running1;
    const std::vector<Step> steps = {
        ok({"standby", "--terminal", "tests-1"},
           "subterminal moved to standby: tests-1 (pane hidden; same live CLI context preserved; resume it without a "
           "task with \"tarvolt-ctl resume --terminal tests-1\")" +
               running1),
        refused({"standby", "--terminal", "tests-1"},
                "\"tests-1\" is already in standby; bring it back with \"tarvolt-ctl resume --terminal tests-1\""),
        // A message to a parked pane resumes it first.
        ok({"send", "--to", "tests-1", "--message", "cover the lockout too"}, "message sent" + running1),
        refused(resume, "\"tests-1\" is not in standby (it is running); there is nothing to resume"),
        ok(close, to_standby),
        ok(resume,
           "subterminal resumed: tests-1 (running; same live CLI and prior context restored; no task was assigned)" +
               running1),
        ok(close, to_standby),
        ok(close, "subterminal terminated: tests-1 (its live CLI context is no longer recoverable)"),
        ok({"list"}, orchestrator_line),
        refused({"send", "--to", "tests-1", "--message", "hello"},
                "no live terminal named \"tests-1\"; \"tarvolt-ctl list\" shows them"),
        // A closed pane's name no longer speaks for anyone.
        refused({"list"}, "the pane \"tests-1\" was closed; its CLI process is gone", "tests-1"),
    };
    run_steps(app, steps);
}

TEST(DevappSession, SpawnRoutingFollowsCliModelAndCategory) {
    Devapp app;
    const std::vector<Step> steps = {
        // The leader of review cannot run here: the default CLI takes it, and says why.
        ok({"spawn", "--task", "review the login form", "--mcps", "browser"},
           "subterminal created: review-1 (cli codex, model gpt-5-codex, effort medium, category review)\nleaderboard "
           "routing: the leader cursor composer-1 medium cannot run here (cursor is not installed on this machine); "
           "the workstation default codex runs this task\nwarning: MCP browser is set up for claude only; this codex "
           "subterminal starts without it" +
               running1),
        ok({"spawn", "--task", "fix the api", "--cli", "claude", "--complexity", "alta"},
           "subterminal created: backend-2 (cli claude, model claude-sonnet-4-5, effort high, category "
           "backend)\npending: 2 task(s) still running"),
        ok({"spawn", "--task", "draw a logo", "--category", "images"},
           "subterminal created: images-3 (cli codex, model gpt-5, effort low, category images)\nimage tool for this "
           "task: grok-imagine (the CLI above only runs its command)\npending: 3 task(s) still running"),
        refused({"spawn", "--task", "x", "--cli", "grok"},
                "the spawn was refused before opening a terminal: grok is installed but not logged in (run its login "
                "in a terminal)"),
        refused({"spawn", "--task", "x", "--model", "gpt-5-mini"},
                "the model \"gpt-5-mini\" is turned off for codex on the setup screen"),
        refused({"spawn", "--task", "x", "--category", "ops"},
                "invalid category \"ops\"; use one of: backend, frontend, tests, docs, refactor, review, images"),
        refused({"spawn", "--task", "x", "--skills", "nope"},
                "unknown skill id \"nope\"; \"tarvolt-ctl skills --for \\\"x\\\"\" lists the ones that fit"),
    };
    run_steps(app, steps);
}

TEST(DevappSession, AckClosesCommittedPanesAndKeepsTheOthers) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "write the login page tests"}).status, 0);
    ASSERT_EQ(app.ctl({"spawn", "--task", "document the login page"}).status, 0);
    const std::vector<Step> steps = {
        refused({"done", "--report", "nothing to report"},
                "done delivers a subagent's report to its orchestrator; the orchestrator has nobody to report to"),
        ok({"progress", "--point", "half the docs", "--uncommitted", "README draft"},
           "progress recorded in the workstation ledger", "docs-2"),
    };
    run_steps(app, steps);
    ASSERT_EQ(app.ctl({"done", "--report", "tests written"}, "tests-1").status, 0);
    ASSERT_EQ(app.ctl({"done", "--report", "docs drafted"}, "docs-2").status, 0);
    const std::vector<Step> after_reports = {
        ok({"inbox"}, "no unread report", "tests-1"),
        refused({"merge"},
                "2 subagent report(s) are not accepted yet: read them with \"tarvolt-ctl inbox\" and accept them with "
                "\"tarvolt-ctl ack\" first"),
        refused({"ack", "--report", "r9"}, "no unread report \"r9\"; \"tarvolt-ctl inbox\" lists the unread ones"),
        // The committed work closes its pane; the uncommitted one stays open.
        ok({"ack"},
           "acknowledged 2 report(s); closed for good, their work is in your worktree: tests-1; still open because "
           "their work did not reach your worktree: docs-2"),
        ok({"ack"}, "no report needed acknowledging"),
        ok({"inbox"}, "no unread report"),
        refused({"merge"},
                "\"docs-2\" still has uncommitted work that did not reach this worktree; have it commit and report "
                "again, or close it"),
    };
    run_steps(app, after_reports);
    const auto status = app.ctl({"status"}).out;
    EXPECT_NE(status.find("  docs-2  [subagent]  idle  \"document the login page\" [reported]\n"), std::string::npos)
        << status;
}

TEST(DevappSession, MarcoKeepsWhatALaterCallDidNotMention) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "fix the api"}).status, 0);
    const std::string recorded = "progress recorded in the workstation ledger";
    const std::string kept = "\nkept from the marco you are replacing, because this call did not mention them:\n";
    const std::string retire = "\nretire one by passing it empty, like --next-step \"\"";
    const std::string as = "backend-1";
    run_steps(
        app,
        {
            ok({"progress"}, "no marco recorded yet; record one with \"tarvolt-ctl progress --point <where you are>\"",
               as),
            refused({"progress", "--next-step", "x"}, "a first marco needs --point: say where this panel is", as),
            ok({"progress", "--point", "routes drafted", "--next-step", "add auth", "--discarded", "GraphQL"}, recorded,
               as),
            ok({"progress", "--point", "auth added", "--uncommitted", "auth.cpp"},
               recorded + kept + "  next step: add auth (stated at <t>)\n  discarded: GraphQL (stated at <t>)" + retire,
               as),
            // Retired with an empty value, the field is neither carried nor shown.
            ok({"progress", "--next-step", ""},
               recorded + kept +
                   "  point: auth added (stated at <t>)\n  uncommitted: auth.cpp (stated at <t>)\n  discarded: GraphQL "
                   "(stated at <t>)" +
                   retire,
               as),
        });
    // Fields stated a second earlier than the marco name their own time, which a busy machine may show.
    const std::regex times(" \\(stated at [^)]*\\)|[0-9T:-]{19}Z");
    EXPECT_EQ(std::regex_replace(app.ctl({"progress"}, as).out, times, ""),
              "marco recorded at \npoint: auth added\nuncommitted: auth.cpp\ndiscarded: GraphQL\n");
}

TEST(DevappSession, SubagentsAreRefusedTheOrchestratorsCommands) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "fix the api"}).status, 0);
    const std::vector<std::string> install = {"install-skill",  "--id", "a-b", "--name", "n", "--description", "d",
                                              "--instructions", "i"};
    std::vector<Step> steps;
    for (const auto& args : std::vector<std::vector<std::string>>{{"standby", "--terminal", "backend-1"},
                                                                  {"resume", "--terminal", "backend-1"},
                                                                  {"close", "--terminal", "backend-1"},
                                                                  {"merge"},
                                                                  {"request", "--summary", "more"},
                                                                  install}) {
        steps.push_back(refused(args,
                                args[0] + " is for the orchestrator only, and \"backend-1\" is a subagent; ask the "
                                          "orchestrator with \"tarvolt-ctl send\" or put it in your report",
                                "backend-1"));
    }
    // Refused, they changed nothing; the orchestrator may.
    steps.push_back(
        ok({"list"}, orchestrator_line +
                         "\nbackend-1  [subagent]  running  (codex)  model gpt-5-codex, effort high, category backend" +
                         running1));
    steps.push_back(
        ok(install, "app skill installed: a-b (n); it is enabled and visible in Settings > Skills" + running1));
    run_steps(app, steps);
}

TEST(DevappSession, HistoryOwnsUpToTasksWithoutAPrice) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "fix the api", "--cli", "opencode"}).status, 0);
    const auto r = app.ctl({"history"});
    EXPECT_NE(r.out.find("— foi feito: (tarefas sem pedido registrado)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("*** VALOR TOTAL EM DÓLARES: desconhecido (1 tarefa(s) sem preço) ***"), std::string::npos)
        << r.out;
    run_steps(app,
              {ok({"history", "--day", "1999-01-01"},
                  "nenhum histórico encontrado para os filtros informados (projeto: " + app.folder + ")" + running1)});
}

TEST(DevappSession, JournalKeepsTheLedgerAndPendingSaysWhenItCannot) {
    Devapp app;
    ASSERT_EQ(app.ctl({"spawn", "--task", "fix the api"}).status, 0);
    std::filesystem::create_directories(app.folder + "/files");
    std::ofstream(app.folder + "/files/build.log") << "twelve bytes";
    run_steps(app, {ok({"artifact", "--path", "files/build.log"},
                       "artifact declared: " + app.folder + "/files/build.log (12 bytes, kind file)", "backend-1")});
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
    run_steps(app, {ok({"note", "--text", "try"},
                       "note recorded in the workstation ledger\npending: 1 task(s) still running; the workstation "
                       "journal could not be written, so this ledger is incomplete")});
    EXPECT_NE(app.ctl({"list"}).out.find("the workstation journal could not be written"), std::string::npos);
}

}  // namespace
