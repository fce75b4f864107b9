// Each control command's reply through the renderer the command finds: the
// sentences of the lifecycle, ledger, merge, models and skills commands.
#include "render/render.h"

#include "support/outcome.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

TEST(ControlRenderers, EveryVariantOfEverySentence) {
    const std::string null_length = "fail: Cannot read properties of null (reading 'length')";
    const std::string delivered =
        "report delivered to the orchestrator; this terminal stays visible and idle until the orchestrator accepts it, then moves to standby";
    const std::string recorded = "progress recorded in the workstation ledger";
    const std::tuple<const char*, const char*, std::string> cases[] = {
        // The routing parts keep their own order whatever the reply's order.
        {"spawn", R"({"ok":true,"category":"c","effort":"high","terminalName":"w","model":"m","cliId":"kimi"})",
         "subterminal created: w (cli kimi, model m, effort high, category c)"},
        {"spawn", R"({"ok":true,"terminalName":"api-2","mcpWarnings":{"0":"x"}})", "subterminal created: api-2"},
        // Presence decides: null and the empty string still give their part
        // or line; only the strings of mcpWarnings give lines.
        {"spawn",
         R"({"mcpWarnings":["w1",1,null,""],"fallbackReason":"","imageTool":null,"cliId":null,"effort":"",
            "terminalName":"t","ok":true})",
         "subterminal created: t (cli null, effort )\n"
         "image tool for this task: null (the CLI above only runs its command)\n"
         "leaderboard routing: \n"
         "warning: w1\n"
         "warning: "},
        {"send", R"({"ok":true,"mcpWarnings":["mcp \"fs\" unavailable",["c"]]})",
         "message sent\nwarning: mcp \"fs\" unavailable"},
        {"standby", R"({"ok":true,"terminalName":"api-2"})",
         "subterminal moved to standby: api-2 (pane hidden; same live CLI context preserved; resume it without a task with \"tarvolt-ctl resume --terminal api-2\")"},
        {"resume", R"({"ok":true,"terminalName":"api-2","status":"idle"})",
         "subterminal resumed: api-2 (idle; same live CLI and prior context restored; no task was assigned)"},
        // Only the exact string "standby" parks the pane.
        {"close", R"({"ok":true,"disposition":"standby","terminalName":"api-2"})",
         "subterminal moved to standby: api-2 (same live CLI context preserved; close this standby name again to terminate it)"},
        {"close", R"({"ok":true,"disposition":"Standby","terminalName":"api-2"})",
         "subterminal terminated: api-2 (its live CLI context is no longer recoverable)"},
        {"close", R"({"ok":true,"disposition":["standby"],"terminalName":"api-2"})",
         "subterminal terminated: api-2 (its live CLI context is no longer recoverable)"},

        {"done", R"({"ok":true,"delivered":false})",
         "report saved in the workstation ledger, but it did NOT reach the orchestrator terminal; it is waiting in its inbox. This terminal stays visible and idle until the orchestrator accepts it, then moves to standby"},
        // Only the boolean false means the report was not delivered.
        {"done", R"({"ok":true,"delivered":"false"})", delivered},
        {"done", R"({"ok":true,"delivered":0})", delivered},
        {"request", R"({"ok":true})", "user request recorded in the workstation ledger"},
        {"note", R"({"ok":true})", "note recorded in the workstation ledger"},
        {"artifact", R"({"ok":true,"kind":"image","path":"out/a.png","bytes":1024})",
         "artifact declared: out/a.png (1024 bytes, kind image)"},

        {"progress", R"({"ok":true,"carried":[]})", recorded},
        {"progress",
         R"({"ok":true,"carried":[{"field":"nextStep","value":"ship","at":"t1"},{"at":2,"value":"a.c",
            "field":"uncommitted"}]})",
         recorded + "\nkept from the marco you are replacing, because this call did not mention them:\n"
                    "  next step: ship (stated at t1)\n"
                    "  uncommitted: a.c (stated at 2)\n"
                    "retire one by passing it empty, like --next-step \"\""},
        // A null marco wins over anything carried.
        {"progress", R"({"ok":true,"marco":null,"carried":[{"field":"x"}]})",
         "no marco recorded yet; record one with \"tarvolt-ctl progress --point <where you are>\""},
        // Only an empty text drops a line; absent and null still print.
        {"progress",
         R"({"ok":true,"carried":[{"field":"x"}],"marco":{"nextStep":null,"point":"p","at":"t1","uncommitted":"",
            "discarded":[]}})",
         "marco recorded at t1\npoint: p\nnext step: null"},
        {"progress", R"({"ok":true,"marco":{"at":"t1"}})",
         "marco recorded at t1\npoint: undefined\nuncommitted: undefined\nnext step: undefined\ndiscarded: undefined"},
        // A time differing by its text from the marco's own is named; null is not.
        {"progress",
         R"({"ok":true,"marco":{"at":5,"point":"p","uncommitted":"u","uncommittedAt":"5","nextStep":"n",
            "nextStepAt":null,"discarded":"d","discardedAt":5.5}})",
         "marco recorded at 5\npoint: p\nuncommitted: u\nnext step: n\ndiscarded: d (stated at 5.5)"},

        {"inbox", R"({"ok":true,"reports":[]})", "no unread report"},
        // A null issue still counts; a null task has no line, an absent one prints.
        {"inbox",
         R"({"ok":true,"reports":[{"reportId":1,"from":"a","at":"t","taskText":null,"issue":null,"text":"x"},
            {"reportId":2,"from":"b","at":"t","text":"line 1\nline 2"}]})",
         "--- report 1 from a at t\n(unavailable: null)\n\n"
         "--- report 2 from b at t\ntask: undefined\nline 1\nline 2\n\nacknowledge them with \"tarvolt-ctl ack\" once you have read them"},
        {"inbox", R"({"ok":true,"reports":null})", null_length},
        {"inbox", R"({"ok":true,"reports":"r1"})", "fail: responseBody.reports is not iterable"},
        // Nothing acknowledged: the name lists are not even looked at.
        {"ack", R"({"ok":true,"acknowledgedReportIds":[],"closedTerminalNames":"x"})",
         "no report needed acknowledging"},
        {"ack",
         R"({"ok":true,"keptTerminalNames":["k"],"closedInPlainFolderTerminalNames":["p"],
            "closedWithoutCommitsTerminalNames":["w1","w2"],"closedTerminalNames":["c"],
            "acknowledgedReportIds":[null,2]})",
         "acknowledged 2 report(s); closed for good, their work is in your worktree: c; closed for good, no commits on their branch: w1, w2; closed for good, they worked directly in your folder and there was nothing to merge: p; still open because their work did not reach your worktree: k"},
        {"ack",
         R"({"ok":true,"acknowledgedReportIds":[1],"closedTerminalNames":[],
            "closedWithoutCommitsTerminalNames":[],"closedInPlainFolderTerminalNames":[],"keptTerminalNames":[]})",
         "acknowledged 1 report(s)"},
        {"ack", R"({"ok":true,"acknowledgedReportIds":"r1"})",
         "fail: responseBody.acknowledgedReportIds.length is not a number"},
        // Every list is read, in the fixed order, before any text is made.
        {"ack",
         R"({"ok":true,"keptTerminalNames":"k","closedWithoutCommitsTerminalNames":null,
            "closedTerminalNames":["a"],"acknowledgedReportIds":["r1"]})",
         null_length},
        {"ack", R"({"ok":true,"acknowledgedReportIds":["r1"],"closedTerminalNames":{},"keptTerminalNames":7})",
         "fail: responseBody.closedTerminalNames.join is not a function"},

        // A null field drops its part, an absent one prints "undefined";
        // truthiness, not the boolean true, flags an unread report.
        {"status",
         R"({"ok":true,"workstationName":"ws","worktreePath":"/w","branchName":"main","headCommit":"abc","panels":[
            {"name":"n","role":"r","terminalStatus":null,"taskText":null,"taskStatus":null,"progressPoint":null,
             "reportUnread":0},
            {"name":"n","role":"r","terminalStatus":"s","taskText":"t","taskStatus":"done","progressPoint":"p",
             "reportUnread":"0"},
            {}]})",
         "workstation: ws\nworktree: /w on main at abc\n\npanels:\n"
         "  n  [r]  no process  no task recorded\n"
         "  n  [r]  s  \"t\" [done]  REPORT NOT READ\n    marco: p\n"
         "  undefined  [undefined]  undefined  \"undefined\" [undefined]\n    marco: undefined"},
        {"status", R"({"ok":true,"workstationName":"ws","worktreePath":null,"branchName":"b","panels":[]})",
         "workstation: ws\n\npanels:\n  (none)"},
        {"status", R"({"ok":true,"panels":[]})",
         "workstation: undefined\nworktree: undefined on undefined at undefined\n\npanels:\n  (none)"},
        {"status", R"({"ok":true,"worktreePath":"/w","branchName":null,"headCommit":null,"panels":[]})",
         "workstation: undefined\nworktree: /w\n\npanels:\n  (none)"},
        {"status", R"({"ok":true,"panels":null})", null_length},
        {"status", R"({"ok":true,"panels":{"name":"api-2"}})", "fail: responseBody.panels is not iterable"},

        // merge: the variant follows the exact outcome string.
        {"merge", R"({"outcome":"nothing-to-integrate","detail":"main already has it","folderPath":"/w"})",
         "nothing to integrate: main already has it (folder: /w)"},
        {"merge", R"({"outcome":"feature-published","featureBranch":"feat/x","headCommit":"abc","folderPath":"/w",
            "detail":"pushed\nopen a pull request\n"})",
         "feature branch published: feat/x at abc (folder: /w)\npushed\nopen a pull request\n"},
        {"merge", R"({"outcome":["nothing-to-integrate"],"featureBranch":"f"})",
         "workstation integrated: f -> undefined (undefined)"},
        {"merge",
         R"({"outcome":"Feature-Published","featureBranch":"f","mainBranch":"main","mergedCommit":"d","release":null})",
         "workstation integrated: f -> main (d)"},
        // Any release but null gets its line.
        {"merge", R"({"release":false})",
         "workstation integrated: undefined -> undefined (undefined)\n"
         "version undefined -> undefined (undefined bump), local tag undefined; the tag is NOT pushed"},
        {"merge", R"({"featureBranch":"f","mainBranch":"main","mergedCommit":"d",
            "release":{"tagName":"v1.3.0","previousVersion":"1.2.3","version":"1.3.0","bumpLevel":"minor"}})",
         "workstation integrated: f -> main (d)\n"
         "version 1.2.3 -> 1.3.0 (minor bump), local tag v1.3.0; the tag is NOT pushed"},

        // models: ids, then the error line, then the turned-off line.
        {"models", R"({"clis":[]})", "no CLI is enabled on this workstation"},
        {"models", R"({"clis":[
            {"cliId":"codex","displayName":"Codex","source":"cli","models":["m1","m2"],"disabledModels":[]},
            {"cliId":"kimi","displayName":"Kimi","source":"cli","models":[],"disabledModels":["k1","k2"]},
            {"disabledModels":["g0"],"errorMessage":"not logged in","cliId":"grok","displayName":"Grok",
             "models":["g1"]},
            {"cliId":"qwen","displayName":"Qwen","models":[],"errorMessage":null,"disabledModels":[]}]})",
         "model ids accepted by --model, asked of each CLI on this machine:\n"
         "  codex (Codex) [cli]: m1, m2\n"
         "  kimi (Kimi): no id available\n"
         "      turned off on the setup screen: k1, k2\n"
         "  grok (Grok) [undefined]: g1\n"
         "      not logged in\n"
         "      turned off on the setup screen: g0\n"
         "  qwen (Qwen): no id available\n"
         "      null"},
        {"models", R"({"clis":{"cliId":"codex"}})", "fail: responseBody.clis is not iterable"},
        {"models", R"({"clis":null})", null_length},
        // Each entry's models are read before its turned-off list.
        {"models", R"({"clis":[{"models":null,"disabledModels":3}]})", null_length},
        {"models", R"({"clis":[{"models":"m1"}]})", "fail: entry.models is not iterable"},
        {"models", R"({"clis":[{"models":[],"disabledModels":{}}]})", "fail: entry.disabledModels is not iterable"},

        {"skills", R"({"task":"x","matches":[]})", "no catalog entry matches this task; spawn without --skills/--mcps"},
        {"skills", R"({"task":"make a PDF","matches":[
            {"kind":"skill","id":"pdf","score":0.75,"name":"PDF","description":"makes PDFs"},
            {"kind":"mcp","id":"fs","score":3,"name":"Files"}]})",
         "catalog entries relevant to: make a PDF\n"
         "  [skill] pdf (score 0.75): PDF - makes PDFs\n"
         "  [mcp] fs (score 3): Files - undefined"},
        {"skills", R"({"matches":{"0":{}}})", "fail: responseBody.matches is not iterable"},
        {"skills", R"({"matches":null})", null_length},

        {"install-skill", R"({"skillId":"pdf-tools","skillName":"PDF tools"})",
         "app skill installed: pdf-tools (PDF tools); it is enabled and visible in Settings > Skills"},
        // The app lays the quota out itself; a final line break stays.
        {"quota", R"({"renderedSnapshot":"a\nb\n"})", "a\nb\n"},
    };
    for (const auto& [command, reply, body] : cases)
        EXPECT_EQ(tvtest::rendered(renderer_for(command), reply), body) << command << " " << reply;
}

}  // namespace
}  // namespace tv
