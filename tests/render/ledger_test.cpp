#include "render/ledger.h"

#include "render/render.h"
#include "support/outcome.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

TEST(LedgerRender, EveryVariantOfEverySentence) {
    const std::string null_length = "fail: Cannot read properties of null (reading 'length')";
    const std::string delivered =
        "report delivered to the orchestrator; this terminal stays visible and idle until the orchestrator accepts it, then moves to standby";
    const std::string recorded = "progress recorded in the workstation ledger";
    const std::tuple<Renderer, const char*, std::string> cases[] = {
        {render_done, R"({"ok":true,"delivered":false})",
         "report saved in the workstation ledger, but it did NOT reach the orchestrator terminal; it is waiting in its inbox. This terminal stays visible and idle until the orchestrator accepts it, then moves to standby"},
        // Only the boolean false means the report was not delivered.
        {render_done, R"({"ok":true,"delivered":"false"})", delivered},
        {render_done, R"({"ok":true,"delivered":0})", delivered},
        {render_request, R"({"ok":true})", "user request recorded in the workstation ledger"},
        {render_note, R"({"ok":true})", "note recorded in the workstation ledger"},
        {render_artifact, R"({"ok":true,"kind":"image","path":"out/a.png","bytes":1024})",
         "artifact declared: out/a.png (1024 bytes, kind image)"},

        {render_progress, R"({"ok":true,"carried":[]})", recorded},
        {render_progress,
         R"({"ok":true,"carried":[{"field":"nextStep","value":"ship","at":"t1"},{"at":2,"value":"a.c",
            "field":"uncommitted"}]})",
         recorded + "\nkept from the marco you are replacing, because this call did not mention them:\n"
                    "  next step: ship (stated at t1)\n"
                    "  uncommitted: a.c (stated at 2)\n"
                    "retire one by passing it empty, like --next-step \"\""},
        // A null marco wins over anything carried.
        {render_progress, R"({"ok":true,"marco":null,"carried":[{"field":"x"}]})",
         "no marco recorded yet; record one with \"tarvolt-ctl progress --point <where you are>\""},
        // Only an empty text drops a line; absent and null still print.
        {render_progress,
         R"({"ok":true,"carried":[{"field":"x"}],"marco":{"nextStep":null,"point":"p","at":"t1","uncommitted":"",
            "discarded":[]}})",
         "marco recorded at t1\npoint: p\nnext step: null"},
        {render_progress, R"({"ok":true,"marco":{"at":"t1"}})",
         "marco recorded at t1\npoint: undefined\nuncommitted: undefined\nnext step: undefined\ndiscarded: undefined"},
        // A time differing by its text from the marco's own is named; null is not.
        {render_progress,
         R"({"ok":true,"marco":{"at":5,"point":"p","uncommitted":"u","uncommittedAt":"5","nextStep":"n",
            "nextStepAt":null,"discarded":"d","discardedAt":5.5}})",
         "marco recorded at 5\npoint: p\nuncommitted: u\nnext step: n\ndiscarded: d (stated at 5.5)"},

        {render_inbox, R"({"ok":true,"reports":[]})", "no unread report"},
        // A null issue still counts; a null task has no line, an absent one prints.
        {render_inbox,
         R"({"ok":true,"reports":[{"reportId":1,"from":"a","at":"t","taskText":null,"issue":null,"text":"x"},
            {"reportId":2,"from":"b","at":"t","text":"line 1\nline 2"}]})",
         "--- report 1 from a at t\n(unavailable: null)\n\n"
         "--- report 2 from b at t\ntask: undefined\nline 1\nline 2\n\nacknowledge them with \"tarvolt-ctl ack\" once you have read them"},
        {render_inbox, R"({"ok":true,"reports":null})", null_length},
        {render_inbox, R"({"ok":true,"reports":"r1"})", "fail: responseBody.reports is not iterable"},
        // Nothing acknowledged: the name lists are not even looked at.
        {render_ack, R"({"ok":true,"acknowledgedReportIds":[],"closedTerminalNames":"x"})",
         "no report needed acknowledging"},
        {render_ack,
         R"({"ok":true,"keptTerminalNames":["k"],"closedInPlainFolderTerminalNames":["p"],
            "closedWithoutCommitsTerminalNames":["w1","w2"],"closedTerminalNames":["c"],
            "acknowledgedReportIds":[null,2]})",
         "acknowledged 2 report(s); closed for good, their work is in your worktree: c; closed for good, no commits on their branch: w1, w2; closed for good, they worked directly in your folder and there was nothing to merge: p; still open because their work did not reach your worktree: k"},
        {render_ack,
         R"({"ok":true,"acknowledgedReportIds":[1],"closedTerminalNames":[],
            "closedWithoutCommitsTerminalNames":[],"closedInPlainFolderTerminalNames":[],"keptTerminalNames":[]})",
         "acknowledged 1 report(s)"},
        {render_ack, R"({"ok":true})", "fail: Cannot read properties of undefined (reading 'length')"},
        {render_ack, R"({"ok":true,"acknowledgedReportIds":"r1"})",
         "fail: responseBody.acknowledgedReportIds.length is not a number"},
        // Every list is read, in the fixed order, before any text is made.
        {render_ack,
         R"({"ok":true,"keptTerminalNames":"k","closedWithoutCommitsTerminalNames":null,
            "closedTerminalNames":["a"],"acknowledgedReportIds":["r1"]})",
         null_length},
        {render_ack, R"({"ok":true,"acknowledgedReportIds":["r1"],"closedTerminalNames":{},"keptTerminalNames":7})",
         "fail: responseBody.closedTerminalNames.join is not a function"},

        // A null field drops its part, an absent one prints "undefined";
        // truthiness, not the boolean true, flags an unread report.
        {render_status,
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
        {render_status, R"({"ok":true,"workstationName":"ws","worktreePath":null,"branchName":"b","panels":[]})",
         "workstation: ws\n\npanels:\n  (none)"},
        {render_status, R"({"ok":true,"panels":[]})",
         "workstation: undefined\nworktree: undefined on undefined at undefined\n\npanels:\n  (none)"},
        {render_status, R"({"ok":true,"worktreePath":"/w","branchName":null,"headCommit":null,"panels":[]})",
         "workstation: undefined\nworktree: /w\n\npanels:\n  (none)"},
        {render_status, R"({"ok":true,"panels":null})", null_length},
        {render_status, R"({"ok":true,"panels":{"name":"api-2"}})", "fail: responseBody.panels is not iterable"},
    };
    for (const auto& [render, reply, body] : cases) EXPECT_EQ(tvtest::rendered(render, reply), body) << reply;
}

}  // namespace
}  // namespace tv
