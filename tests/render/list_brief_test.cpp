#include "render/list_brief.h"

#include "support/outcome.h"

#include <gtest/gtest.h>

#include <string>

namespace tv {
namespace {

using tvtest::rendered;

// The well-formed sheet the brief cases start from; each case replaces or
// adds members (written last, so they win).
std::string brief_with(const std::string& members) {
    return R"({"ok":true,"build":{"version":"1.4.0","commit":"abc1234","builtAt":"2024-05-01"},
        "workstationName":"ws","folderPath":"/home/u/ws","callerName":"orchestrator","callerRole":"orchestrator",
        "defaultCliId":"claude","autonomousMode":true,"terminals":[],"categories":[],"catalog":[],"protocol":[])" +
           std::string(members.empty() ? "" : ",") + members + "}";
}

// The whole sheet of brief_with(members) while its lists stay empty.
std::string bare_sheet(const std::string& mode,
                       const std::string& build = "1.4.0 \u00b7 commit abc1234 \u00b7 built 2024-05-01") {
    return "app build: " + build + "\nworkstation: ws\nfolder: /home/u/ws\nyou are: orchestrator [orchestrator]\n" +
           "default CLI: claude  autonomous mode: " + mode + "\n\nterminals:\n  (none)\n\n" +
           "routing categories (leaderboard leaders):\n\n" +
           "catalog index (details per task via \"tarvolt-ctl skills --for\"):\n  (empty)\n\nprotocol:";
}

TEST(ListRenderer, PrintsTerminalsThenIdleAndStandbyNames) {
    // Only exactly "subagent" with exactly "idle" or "standby" is named below.
    EXPECT_EQ(
        rendered(render_list, R"({"terminals":[
                  {"name":"orchestrator","role":"orchestrator","status":"running","cliId":"claude"},
                  {"effort":"high","name":"api-2","role":"subagent","status":"idle","cliId":"codex","model":"m1"},
                  {"name":"ui-1","role":"subagent","status":"standby","cliId":"kimi","category":null},
                  {"name":"db-3","role":"Subagent","status":"idle","cliId":"qwen"},
                  {"name":"ux-4","role":"subagent","status":"Idle","cliId":"qwen"},
                  {"name":"ux-5","role":"subagent","status":"idle"},
                  {"name":"ux-6","role":["subagent"],"status":"idle"},
                  {"name":"ux-7","role":"subagent","status":["standby"]}]})"),
        "orchestrator  [orchestrator]  running  (claude)\n"
        "api-2  [subagent]  idle  (codex)  model m1, effort high\n"
        "ui-1  [subagent]  standby  (kimi)  category null\n"
        "db-3  [Subagent]  idle  (qwen)\n"
        "ux-4  [subagent]  Idle  (qwen)\n"
        "ux-5  [subagent]  idle  (undefined)\n"
        "ux-6  [subagent]  idle  (undefined)\n"
        "ux-7  [subagent]  standby  (undefined)\n"
        "\n"
        "idle (awaiting acceptance or ready for a task): api-2, ux-5\n"
        "\n"
        "standby (hidden, exact context preserved in 1 live CLI process(es); resume by name without a task, send by name to resume and message, close by name to terminate): ui-1");
    EXPECT_EQ(rendered(render_list, R"({"terminals": []})"), "no live terminal");
    EXPECT_EQ(rendered(render_list, R"({"terminals": {}})"), "fail: responseBody.terminals.map is not a function");
}

TEST(BriefRenderer, PrintsTheWholeSheet) {
    // Only the boolean true means images; the fallback reason is for runnable CLIs only.
    EXPECT_EQ(
        rendered(render_brief, brief_with(R"("terminals":[{"name":"api-2","role":"subagent","status":"idle",
        "cliId":"codex","effort":"low"}],"categories":[
        {"id":"img","leaderLabel":"L","generatesImages":true,"profileReason":"why","fallbackReason":"f"},
        {"id":"c","leaderLabel":"L","generatesImages":"true","cliId":null,"profileReason":null,"fallbackReason":"f"},
        {"usdPerTask":0.25,"id":"c","leaderLabel":"L","cliId":"codex","effort":null,"model":"m1",
         "profileReason":"cheapest","fallbackReason":"leader not installed"},
        {"id":"c","leaderLabel":"L"}],"catalog":[{"kind":"skill","id":"pdf","name":"PDF","description":"reads PDFs"}],
        "protocol":["first line",3])")),
        "app build: 1.4.0 \u00b7 commit abc1234 \u00b7 built 2024-05-01\n"
        "workstation: ws\n"
        "folder: /home/u/ws\n"
        "you are: orchestrator [orchestrator]\n"
        "default CLI: claude  autonomous mode: on\n"
        "\n"
        "terminals:\n"
        "  api-2  [subagent]  idle  (codex)  effort low\n"
        "\n"
        "routing categories (leaderboard leaders):\n"
        "  img: L -> image tool resolved at spawn (never a text model; the spawn fails if no tool is authenticated)  (why)\n"
        "  c: L -> no runnable CLI on this machine (spawn will fall back)  (null)\n"
        "  c: L -> cli codex, model m1, effort null, US$ 0.25/task  (cheapest)  [fallback: leader not installed]\n"
        "  c: L -> cli undefined\n"
        "\n"
        "catalog index (details per task via \"tarvolt-ctl skills --for\"):\n"
        "  [skill] pdf: PDF - reads PDFs\n"
        "\n"
        "protocol:\n"
        "  first line\n"
        "  3");
    // Empty lists, a build that is no object, and truthiness for the mode.
    EXPECT_EQ(rendered(render_brief, brief_with(R"("build":7,"autonomousMode":"0")")),
              bare_sheet("on", "undefined \u00b7 commit undefined \u00b7 built undefined"));
    EXPECT_EQ(rendered(render_brief, brief_with(R"("autonomousMode":0)")), bare_sheet("off"));
}

TEST(BriefRenderer, DevelopmentProfileVariants) {
    const std::string empty =
        "profile models: none \u2014 the Custom selection is empty; spawns use the workstation CLI fallback until a configuration is selected";
    const std::pair<const char*, std::string> cases[] = {
        {"null",
         "undefined [undefined]\nprofile models: none \u2014 this profile orders the ranking instead of selecting models, so choose by category"},
        {R"({"label":"C","id":"c","modelSelection":null})", "C [c]\n" + empty},
        // Only `models` arrays count towards the configurations...
        {R"({"label":"C","id":"c","modelSelection":{"selectedByCli":[{"cliId":"codex","models":[]},"junk",
            {"cliId":"kimi","models":"m1"}]}})",
         "C [c]\n" + empty},
        // ...but every selectedByCli element counts as a CLI.
        {R"({"label":"C","id":"c","modelSelection":{"selectedByCli":[{"cliId":"codex","models":[{"model":"m1",
            "effort":"high"},{"model":"m2"}]},{"cliId":"claude","models":"x"},{"cliId":"kimi","models":[{"model":"k",
            "effort":null}]}],"unselectedCliIds":["grok","qwen"]}})",
         "C [c]\nprofile models (3 configuration(s) selected in 3 CLI(s); one panel per CONFIGURATION, never one per CLI; the same --model can appear at more than one --effort and each is a different price; the --effort on each line is the level marked in the profile, so paste it as it is):\n"
         "  --cli codex --model m1 --effort high\n  --cli codex --model m2\n  --cli kimi --model k --effort null\n"
         "  no models selected in: grok, qwen"},
    };
    for (const auto& [profile, lines] : cases)
        EXPECT_EQ(rendered(render_brief, brief_with(std::string("\"developmentProfile\":") + profile)),
                  bare_sheet("on\ndevelopment profile: " + lines))
            << profile;
}

// Blocks are read in the order they print: the first wrong one decides.
TEST(BriefRenderer, RefusesListsOfTheWrongShapeInBlockOrder) {
    const std::pair<std::string, std::string> cases[] = {
        {R"("build":null,"protocol":null)", "Cannot read properties of null (reading 'version')"},
        {R"("terminals":null,"categories":null)", "Cannot read properties of null (reading 'length')"},
        {R"("terminals":{},"catalog":null)", "responseBody.terminals is not iterable"},
        {R"("categories":{},"catalog":null)", "responseBody.categories is not iterable"},
        {R"("catalog":null,"protocol":null)", "Cannot read properties of null (reading 'length')"},
        {R"("catalog":{"kind":"skill"})", "responseBody.catalog is not iterable"},
        {R"("protocol":null)", "responseBody.protocol is not iterable"},
    };
    for (const auto& [members, message] : cases)
        EXPECT_EQ(rendered(render_brief, brief_with(members)), "fail: " + message) << members;
}

}  // namespace
}  // namespace tv
