#include "render/list_brief.h"

#include "render/render.h"
#include "support/replies.h"
#include "values/json.h"

#include <gtest/gtest.h>

#include <string>

namespace tv {
namespace {

using tvtest::render_body;
using tvtest::render_failure;
using tvtest::reply_from;

const std::string undefined_length = "Cannot read properties of undefined (reading 'length')";
const std::string null_length = "Cannot read properties of null (reading 'length')";

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

std::string profile_header(int configurations, int clis) {
    return "profile models (" + std::to_string(configurations) + " configuration(s) selected in " +
           std::to_string(clis) +
           " CLI(s); one panel per CONFIGURATION, never one per CLI; the same --model can appear at more than "
           "one --effort and each is a different price; the --effort on each line is the level marked in the "
           "profile, so paste it as it is):";
}

TEST(ListRenderer, PrintsTerminalsThenIdleAndStandbyNames) {
    // Only objects whose role and status are exactly those strings count.
    const Json reply = reply_from(R"json({"terminals": [
        {"name": "orchestrator", "role": "orchestrator", "status": "running", "cliId": "claude"},
        {"name": "api-2", "role": "subagent", "status": "idle", "cliId": "codex", "model": "m1", "effort": "high"},
        {"name": "ui-1", "role": "subagent", "status": "standby", "cliId": "kimi", "category": null},
        {"name": "db-3", "role": "Subagent", "status": "idle", "cliId": "qwen"},
        {"name": "ux-4", "role": "subagent", "status": "Idle", "cliId": "qwen", "model": 2.0},
        {"name": "b", "role": ["subagent"], "status": "idle"},
        {"name": null, "role": "subagent", "status": "idle"},
        "stray"
    ]})json");
    EXPECT_EQ(render_body(render_list, reply),
              "orchestrator  [orchestrator]  running  (claude)\n"
              "api-2  [subagent]  idle  (codex)  model m1, effort high\n"
              "ui-1  [subagent]  standby  (kimi)  category null\n"
              "db-3  [Subagent]  idle  (qwen)\n"
              "ux-4  [subagent]  Idle  (qwen)  model 2\n"
              "b  [subagent]  idle  (undefined)\n"
              "null  [subagent]  idle  (undefined)\n"
              "undefined  [undefined]  undefined  (undefined)\n"
              "\n"
              "idle (awaiting acceptance or ready for a task): api-2, null\n"
              "\n"
              "standby (hidden, exact context preserved in 1 live CLI process(es); resume by name without a "
              "task, send by name to resume and message, close by name to terminate): ui-1");
}

TEST(ListRenderer, EmptyOrWrongShapeTerminals) {
    EXPECT_EQ(render_body(render_list, reply_from(R"({"terminals": []})")), "no live terminal");
    const std::pair<const char*, std::string> cases[] = {
        {R"({})", undefined_length},
        {R"({"terminals": null})", null_length},
        {R"({"terminals": {}})", "responseBody.terminals.map is not a function"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(render_failure(render_list, reply_from(text)), message) << text;
}

TEST(BriefRenderer, PrintsTheWholeSheet) {
    // The development profile block is checked on its own below.
    const Json reply = brief_with({
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
    // Truthiness, not presence nor the boolean true, turns the mode on.
    for (const auto& [mode, word] : {std::pair{R"("yes")", "on"}, {"0", "off"}}) {
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
    const std::pair<const char*, std::string> cases[] = {
        {nullptr, ""},
        {"null", "development profile: undefined [undefined]\n" + ranking},
        {R"({"label": "Fast", "id": "fast"})", "development profile: Fast [fast]\n" + ranking},
        {R"({"label": "C", "id": "c", "modelSelection": null})", "development profile: C [c]\n" + empty},
        // Only `models` arrays count towards the configurations.
        {R"json({"label": "C", "id": "c", "modelSelection": {"selectedByCli":
            [{"cliId": "codex", "models": []}, "junk", {"cliId": "kimi", "models": "m1"}]}})json",
         "development profile: C [c]\n" + empty},
        // Every selectedByCli element counts as a CLI, even one without models.
        {R"json({"label": "C", "id": "c", "modelSelection": {"selectedByCli": [
            {"cliId": "codex", "models": [{"model": "m1", "effort": "high"}, {"model": "m1", "effort": "low"}]},
            {"cliId": "claude", "models": []}], "unselectedCliIds": []}})json",
         "development profile: C [c]\n" + profile_header(2, 2) +
             "\n  --cli codex --model m1 --effort high\n  --cli codex --model m1 --effort low"},
        {R"json({"label": "C", "id": "c", "modelSelection": {"selectedByCli": [
            {"cliId": "codex", "models": [{"model": "m1"}, {"model": "m2", "effort": null}, "m3"]},
            5, {"models": "x"}], "unselectedCliIds": ["grok", null, 2.0]}})json",
         "development profile: C [c]\n" + profile_header(3, 3) +
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
        // Only the boolean true means images; the fallback reason is for runnable CLIs only.
        {R"({"id": "c", "leaderLabel": "L", "generatesImages": "true", "cliId": null, "profileReason": null,
             "fallbackReason": "f"})",
         "  c: L -> no runnable CLI on this machine (spawn will fall back)  (null)"},
        {R"({"id": "c", "leaderLabel": "L", "cliId": "codex", "model": "m1", "effort": null, "usdPerTask": 0.25,
             "profileReason": "cheapest", "fallbackReason": "leader not installed"})",
         "  c: L -> cli codex, model m1, effort null, US$ 0.25/task  (cheapest)  [fallback: leader not installed]"},
        {R"({"id": 2.0, "leaderLabel": "Líder", "usdPerTask": 3})", "  2: Líder -> cli undefined, US$ 3/task"},
    };
    for (const auto& [category, line] : cases) {
        const std::string list = "[" + std::string(category) + "]";
        const std::string body = render_body(render_brief, brief_with({{"categories", list.c_str()}}));
        EXPECT_NE(body.find("(leaderboard leaders):\n" + std::string(line) + "\n\ncatalog"), std::string::npos)
            << category << "\n" << body;
    }
}

TEST(BriefRenderer, RefusesListsOfTheWrongShapeInBlockOrder) {
    const std::pair<Json, std::string> cases[] = {
        {brief_with({{"build", nullptr}}), "Cannot read properties of undefined (reading 'version')"},
        {brief_with({{"build", "null"}, {"protocol", nullptr}}), "Cannot read properties of null (reading 'version')"},
        {brief_with({{"terminals", nullptr}, {"categories", nullptr}}), undefined_length},
        {brief_with({{"terminals", "{}"}, {"catalog", nullptr}}), "responseBody.terminals is not iterable"},
        {brief_with({{"categories", nullptr}, {"catalog", "null"}}), "responseBody.categories is not iterable"},
        {brief_with({{"catalog", nullptr}, {"protocol", nullptr}}), undefined_length},
        {brief_with({{"catalog", R"({"kind": "skill"})"}}), "responseBody.catalog is not iterable"},
        {brief_with({{"protocol", "null"}}), "responseBody.protocol is not iterable"},
    };
    for (const auto& [reply, message] : cases) {
        EXPECT_EQ(render_failure(render_brief, reply), message) << to_compact_text(reply);
    }
}

}  // namespace
}  // namespace tv
