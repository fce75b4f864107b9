#include "render/list_brief.h"

#include "cli/fail.h"
#include "render/render.h"
#include "support/fake_app.h"
#include "support/run_ctl.h"
#include "values/json.h"

#include "support/replies.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tv {
namespace {

using tvtest::render_body;
using tvtest::render_failure;
using tvtest::reply_from;

// The well-formed sheet the brief cases start from; each case replaces or
// removes one member (nullptr removes).
const char* const base_brief = R"json({
  "ok": true,
  "build": {"version": "1.4.0", "commit": "abc1234", "builtAt": "2024-05-01"},
  "workstationName": "Ateliê São João",
  "folderPath": "/home/u/ws",
  "callerName": "orchestrator", "callerRole": "orchestrator",
  "defaultCliId": "claude", "autonomousMode": true,
  "terminals": [{"name": "orchestrator", "role": "orchestrator", "status": "running", "cliId": "claude"}],
  "categories": [],
  "catalog": [],
  "protocol": ["report with done"]
})json";

Json brief_with(std::initializer_list<std::pair<const char*, const char*>> changes) {
    Json reply = reply_from(base_brief);
    for (const auto& [key, text] : changes) {
        if (text == nullptr) {
            reply.erase(key);
        } else {
            reply[key] = reply_from(text);
        }
    }
    return reply;
}

// The lines between the "default CLI" line and the terminals block.
std::string profile_block(const std::string& body) {
    const std::size_t start = body.find('\n', body.find("default CLI: ")) + 1;
    const std::size_t end = body.find("\n\nterminals:");
    return start > end ? "" : body.substr(start, end - start);
}

TEST(ListRenderer, PrintsTerminalsThenIdleAndStandbyNames) {
    const Json reply = reply_from(R"json({"terminals": [
        {"name": "orchestrator", "role": "orchestrator", "status": "running", "cliId": "claude"},
        {"name": "api-2", "role": "subagent", "status": "idle", "cliId": "codex", "model": "m1", "effort": "high"},
        {"name": "ui-1", "role": "subagent", "status": "standby", "cliId": "kimi", "category": null},
        {"name": "db-3", "role": "Subagent", "status": "idle", "cliId": "qwen"},
        {"name": "ux-4", "role": "subagent", "status": "Idle", "cliId": "qwen", "model": 2.0},
        {"name": "café", "role": "subagent", "status": "standby"},
        "stray", 7, null
    ]})json");
    EXPECT_EQ(render_body(render_list, reply),
              "orchestrator  [orchestrator]  running  (claude)\n"
              "api-2  [subagent]  idle  (codex)  model m1, effort high\n"
              "ui-1  [subagent]  standby  (kimi)  category null\n"
              "db-3  [Subagent]  idle  (qwen)\n"
              "ux-4  [subagent]  Idle  (qwen)  model 2\n"
              "café  [subagent]  standby  (undefined)\n"
              "undefined  [undefined]  undefined  (undefined)\n"
              "undefined  [undefined]  undefined  (undefined)\n"
              "undefined  [undefined]  undefined  (undefined)\n"
              "\n"
              "idle (awaiting acceptance or ready for a task): api-2\n"
              "\n"
              "standby (hidden, exact context preserved in 2 live CLI process(es); resume by name without a "
              "task, send by name to resume and message, close by name to terminate): ui-1, café");
}

TEST(ListRenderer, OmitsEmptySentencesAndNamesNullNames) {
    EXPECT_EQ(render_body(render_list, reply_from(R"({"terminals": []})")), "no live terminal");
    EXPECT_EQ(render_body(render_list, reply_from(R"({"terminals": [{"role": "orchestrator", "status": "running"}]})")),
              "undefined  [orchestrator]  running  (undefined)");
    EXPECT_EQ(render_body(render_list, reply_from(R"({"terminals": [{"name": null, "role": "subagent", "status": "idle"}]})")),
              "null  [subagent]  idle  (undefined)\n\nidle (awaiting acceptance or ready for a task): null");
}

TEST(ListRenderer, RefusesTerminalsOfTheWrongShape) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({})", "Cannot read properties of undefined (reading 'length')"},
        {R"({"terminals": null})", "Cannot read properties of null (reading 'length')"},
        {R"({"terminals": {}})", "responseBody.terminals.map is not a function"},
        {R"({"terminals": ""})", "responseBody.terminals.map is not a function"},
        {R"({"terminals": 0})", "responseBody.terminals.map is not a function"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(render_failure(render_list, reply_from(text)), message) << text;
}

TEST(SubagentNames, TakeOnlyExactStringsOfObjects) {
    const Json terminals = reply_from(R"json([
        {"name": "a", "role": "subagent", "status": "idle"},
        {"name": ["x", 1], "role": "subagent", "status": "standby"},
        {"name": "b", "role": ["subagent"], "status": "idle"},
        {"name": "c", "role": "subagent", "status": "idle "},
        {"role": "subagent", "status": "idle"},
        "subagent"
    ])json");
    EXPECT_EQ(idle_subagents(terminals), (std::vector<std::string>{"a", "undefined"}));
    EXPECT_EQ(standby_subagents(terminals), (std::vector<std::string>{"x,1"}));
}

TEST(BriefRenderer, PrintsTheWholeSheet) {
    const Json reply = brief_with({
        {"developmentProfile", R"json({"label": "Custom", "id": "custom", "modelSelection": {
            "selectedByCli": [{"cliId": "codex", "models": [{"model": "m1", "effort": "high"}]}],
            "unselectedCliIds": ["kimi"]}})json"},
        {"terminals", R"json([
            {"name": "orchestrator", "role": "orchestrator", "status": "running", "cliId": "claude"},
            {"name": "api-2", "role": "subagent", "status": "idle", "cliId": "codex", "effort": "low"}])json"},
        {"categories", R"json([{"id": "frontend", "leaderLabel": "Codex m1", "cliId": "codex", "model": "m1"}])json"},
        {"catalog", R"json([{"kind": "skill", "id": "pdf", "name": "PDF", "description": "reads PDFs"}, 4])json"},
        {"protocol", R"json(["first line", 3, null, {"a": 1}, "multi\nline"])json"},
    });
    EXPECT_EQ(render_body(render_brief, reply),
              "app build: 1.4.0 \u00b7 commit abc1234 \u00b7 built 2024-05-01\n"
              "workstation: Ateliê São João\n"
              "folder: /home/u/ws\n"
              "you are: orchestrator [orchestrator]\n"
              "default CLI: claude  autonomous mode: on\n"
              "development profile: Custom [custom]\n"
              "profile models (1 configuration(s) selected in 1 CLI(s); one panel per CONFIGURATION, never one "
              "per CLI; the same --model can appear at more than one --effort and each is a different price; the "
              "--effort on each line is the level marked in the profile, so paste it as it is):\n"
              "  --cli codex --model m1 --effort high\n"
              "  no models selected in: kimi\n"
              "\n"
              "terminals:\n"
              "  orchestrator  [orchestrator]  running  (claude)\n"
              "  api-2  [subagent]  idle  (codex)  effort low\n"
              "\n"
              "routing categories (leaderboard leaders):\n"
              "  frontend: Codex m1 -> cli codex, model m1\n"
              "\n"
              "catalog index (details per task via \"tarvolt-ctl skills --for\"):\n"
              "  [skill] pdf: PDF - reads PDFs\n"
              "  [undefined] undefined: undefined - undefined\n"
              "\n"
              "protocol:\n"
              "  first line\n"
              "  3\n"
              "  null\n"
              "  [object Object]\n"
              "  multi\nline");
}

TEST(BriefRenderer, EmptyListsAndOddHeaderValues) {
    EXPECT_EQ(render_body(render_brief, brief_with({{"build", R"("1.4.0")"},
                                                {"autonomousMode", nullptr},
                                                {"terminals", "[]"},
                                                {"protocol", "[]"},
                                                {"callerRole", "null"}})),
              "app build: undefined \u00b7 commit undefined \u00b7 built undefined\n"
              "workstation: Ateliê São João\n"
              "folder: /home/u/ws\n"
              "you are: orchestrator [null]\n"
              "default CLI: claude  autonomous mode: off\n"
              "\n"
              "terminals:\n"
              "  (none)\n"
              "\n"
              "routing categories (leaderboard leaders):\n"
              "\n"
              "catalog index (details per task via \"tarvolt-ctl skills --for\"):\n"
              "  (empty)\n"
              "\n"
              "protocol:");
    const std::pair<const char*, const char*> modes[] = {
        {R"("yes")", "on"}, {"0", "off"},    {"-0.0", "off"}, {R"("")", "off"},
        {"[]", "on"},       {"null", "off"}, {"0.5", "on"},
    };
    for (const auto& [mode, word] : modes) {
        const std::string body = render_body(render_brief, brief_with({{"autonomousMode", mode}}));
        EXPECT_NE(body.find("\ndefault CLI: claude  autonomous mode: " + std::string(word) + "\n"), std::string::npos)
            << mode;
    }
}

TEST(BriefRenderer, DevelopmentProfileVariants) {
    const std::string ranking =
        "profile models: none \u2014 this profile orders the ranking instead of selecting models, so choose by "
        "category";
    const std::string empty =
        "profile models: none \u2014 the Custom selection is empty; spawns use the workstation CLI fallback until "
        "a configuration is selected";
    const std::string header2 =
        "profile models (3 configuration(s) selected in 3 CLI(s); one panel per CONFIGURATION, never one per CLI; "
        "the same --model can appear at more than one --effort and each is a different price; the --effort on "
        "each line is the level marked in the profile, so paste it as it is):";
    const std::pair<const char*, std::string> cases[] = {
        {nullptr, ""},
        {"null", "development profile: undefined [undefined]\n" + ranking},
        {"7", "development profile: undefined [undefined]\n" + ranking},
        {R"({"label": "Fast", "id": "fast"})", "development profile: Fast [fast]\n" + ranking},
        {R"({"label": "C", "id": "c", "modelSelection": null})", "development profile: C [c]\n" + empty},
        {R"({"label": "C", "id": "c", "modelSelection": {"unselectedCliIds": ["kimi"]}})",
         "development profile: C [c]\n" + empty},
        {R"({"label": "C", "id": "c", "modelSelection": {"selectedByCli": {"cliId": "x", "models": ["m"]}}})",
         "development profile: C [c]\n" + empty},
        {R"({"label": "C", "id": "c", "modelSelection": {"selectedByCli": []}})",
         "development profile: C [c]\n" + empty},
        {R"json({"label": "C", "id": "c", "modelSelection": {"selectedByCli":
            [{"cliId": "codex", "models": []}, "junk", {"cliId": "kimi", "models": "m1"}]}})json",
         "development profile: C [c]\n" + empty},
        {R"json({"label": "C", "id": "c", "modelSelection": {"selectedByCli": [
            {"cliId": "codex", "models": [{"model": "m1", "effort": "high"}, {"model": "m1", "effort": "low"}]},
            {"cliId": "claude", "models": []}], "unselectedCliIds": []}})json",
         "development profile: C [c]\nprofile models (2 configuration(s) selected in 2 CLI(s); one panel per "
         "CONFIGURATION, never one per CLI; the same --model can appear at more than one --effort and each is a "
         "different price; the --effort on each line is the level marked in the profile, so paste it as it is):\n"
         "  --cli codex --model m1 --effort high\n  --cli codex --model m1 --effort low"},
        {R"json({"label": "C", "id": "c", "modelSelection": {"selectedByCli": [
            {"cliId": "codex", "models": [{"model": "m1"}, {"model": "m2", "effort": null}, "m3"]},
            5, {"models": "x"}], "unselectedCliIds": ["grok", null, 2.0]}})json",
         "development profile: C [c]\n" + header2 +
             "\n  --cli codex --model m1\n  --cli codex --model m2 --effort null\n  --cli codex --model undefined\n"
             "  no models selected in: grok, null, 2"},
    };
    for (const auto& [profile, block] : cases) {
        const Json reply = profile ? brief_with({{"developmentProfile", profile}}) : brief_with({});
        EXPECT_EQ(profile_block(render_body(render_brief, reply)), block) << (profile ? profile : "absent");
    }
}

TEST(BriefRenderer, CategoryLines) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"id": "img", "leaderLabel": "L", "generatesImages": true, "profileReason": "why", "fallbackReason": "f"})",
         "  img: L -> image tool resolved at spawn (never a text model; the spawn fails if no tool is "
         "authenticated)  (why)"},
        {R"({"id": "c", "leaderLabel": "L", "generatesImages": "true", "cliId": null, "fallbackReason": "f"})",
         "  c: L -> no runnable CLI on this machine (spawn will fall back)"},
        {R"({"id": "c", "leaderLabel": "L", "cliId": null, "profileReason": null})",
         "  c: L -> no runnable CLI on this machine (spawn will fall back)  (null)"},
        {R"({"id": "c", "leaderLabel": "L"})", "  c: L -> cli undefined"},
        {R"({"id": "c", "leaderLabel": "L", "cliId": "codex", "model": "m1", "effort": null, "usdPerTask": 0.25,
             "profileReason": "cheapest", "fallbackReason": "leader not installed"})",
         "  c: L -> cli codex, model m1, effort null, US$ 0.25/task  (cheapest)  [fallback: leader not installed]"},
        {R"({"id": 2.0, "leaderLabel": "Líder", "cliId": "kimi", "usdPerTask": 3})",
         "  2: Líder -> cli kimi, US$ 3/task"},
        {R"("stray")", "  undefined: undefined -> cli undefined"},
    };
    for (const auto& [category, line] : cases) {
        const std::string list = "[" + std::string(category) + "]";
        const std::string body = render_body(render_brief, brief_with({{"categories", list.c_str()}}));
        EXPECT_NE(body.find("(leaderboard leaders):\n" + std::string(line) + "\n\ncatalog"), std::string::npos)
            << category << "\n" << body;
    }
}

TEST(BriefRenderer, RefusesListsOfTheWrongShapeInBlockOrder) {
    const std::string undefined_length = "Cannot read properties of undefined (reading 'length')";
    const std::string null_length = "Cannot read properties of null (reading 'length')";
    const std::pair<Json, std::string> cases[] = {
        {brief_with({{"build", nullptr}}), "Cannot read properties of undefined (reading 'version')"},
        {brief_with({{"build", "null"}, {"protocol", nullptr}}), "Cannot read properties of null (reading 'version')"},
        {brief_with({{"terminals", nullptr}, {"categories", nullptr}}), undefined_length},
        {brief_with({{"terminals", "null"}}), null_length},
        {brief_with({{"terminals", "{}"}, {"catalog", nullptr}}), "responseBody.terminals is not iterable"},
        {brief_with({{"terminals", R"("abc")"}}), "responseBody.terminals is not iterable"},
        {brief_with({{"categories", nullptr}, {"catalog", "null"}}), "responseBody.categories is not iterable"},
        {brief_with({{"categories", "null"}}), "responseBody.categories is not iterable"},
        {brief_with({{"categories", "{}"}}), "responseBody.categories is not iterable"},
        {brief_with({{"catalog", nullptr}, {"protocol", nullptr}}), undefined_length},
        {brief_with({{"catalog", "null"}}), null_length},
        {brief_with({{"catalog", R"({"kind": "skill"})"}}), "responseBody.catalog is not iterable"},
        {brief_with({{"protocol", nullptr}}), "responseBody.protocol is not iterable"},
        {brief_with({{"protocol", "null"}}), "responseBody.protocol is not iterable"},
        {brief_with({{"protocol", R"("follow the rules")"}}), "responseBody.protocol is not iterable"},
    };
    for (const auto& [reply, message] : cases) {
        EXPECT_EQ(render_failure(render_brief, reply), message) << to_compact_text(reply);
    }
}

TEST(ListAndBriefThroughTheBinary, PrintBodyWithPendingLine) {
    tvtest::FakeApp app({tvtest::json_answer(R"json({"ok": true, "terminals": [
        {"name": "api-2", "role": "subagent", "status": "idle", "cliId": "codex", "model": "m1"}],
        "pending": {"unreadReports": 2, "runningTasks": 0, "degraded": true}})json")});
    const tvtest::RunResult r = tvtest::run_ctl({"list"}, tvtest::pane_env(app.port()));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "api-2  [subagent]  idle  (codex)  model m1\n"
              "\n"
              "idle (awaiting acceptance or ready for a task): api-2\n"
              "pending: 2 report(s) NOT read yet - run \"tarvolt-ctl inbox\", then \"tarvolt-ctl ack\"; the "
              "workstation journal could not be written, so this ledger is incomplete\n");
}

TEST(ListAndBriefThroughTheBinary, BriefWithoutProtocolPrintsNothing) {
    Json reply = brief_with({{"protocol", nullptr}});
    reply["pending"] = reply_from(R"({"runningTasks": 1})");
    tvtest::FakeApp app({tvtest::json_answer(to_compact_text(reply))});
    const tvtest::RunResult r = tvtest::run_ctl({"brief"}, tvtest::pane_env(app.port()));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tarvolt-ctl: responseBody.protocol is not iterable\n");
}

}  // namespace
}  // namespace tv
