#include "render/ledger.h"

#include "render/render.h"
#include "support/replies.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

using tvtest::failure;
using tvtest::rendered;

struct Case {
    Renderer render;
    const char* reply;
    const char* body;
};

constexpr const char* delivered =
    "report delivered to the orchestrator; this terminal stays visible and idle until the orchestrator accepts "
    "it, then moves to standby";
constexpr const char* recorded = "progress recorded in the workstation ledger";
constexpr const char* absent_length = "Cannot read properties of undefined (reading 'length')";
constexpr const char* null_length = "Cannot read properties of null (reading 'length')";

TEST(LedgerRender, FixedSentences) {
    const Case cases[] = {
        {render_done, R"({"ok":true,"delivered":false})",
         "report saved in the workstation ledger, but it did NOT reach the orchestrator terminal; it is waiting in "
         "its inbox. This terminal stays visible and idle until the orchestrator accepts it, then moves to standby"},
        // Only the boolean false means the report was not delivered.
        {render_done, R"({"ok":true,"delivered":"false"})", delivered},
        {render_done, R"({"ok":true,"delivered":0})", delivered},
        {render_request, R"({"ok":true,"id":"r1"})", "user request recorded in the workstation ledger"},
        {render_note, R"({"ok":true,"note":null})", "note recorded in the workstation ledger"},
        {render_artifact, R"({"ok":true,"path":"out/ação.png","bytes":1024,"kind":"image"})",
         "artifact declared: out/ação.png (1024 bytes, kind image)"},
        {render_artifact, R"({"ok":true,"path":null,"bytes":2.0})",
         "artifact declared: null (2 bytes, kind undefined)"},
    };
    for (const Case& c : cases) EXPECT_EQ(rendered(c.render, c.reply), c.body) << c.reply;
}

TEST(LedgerRender, ProgressMarcoAndCarriedFields) {
    const std::string carried = std::string(recorded) +
                                "\nkept from the marco you are replacing, because this call did not mention them:\n"
                                "  next step: ship (stated at t1)\n"
                                "  uncommitted: a.c,b.c (stated at null)\n"
                                "  undefined: undefined (stated at undefined)\n"
                                "  next step:  (stated at 2.5)\n"
                                "retire one by passing it empty, like --next-step \"\"";
    const std::pair<const char*, std::string> cases[] = {
        {R"({"ok":true})", recorded},
        {R"({"ok":true,"carried":[]})", recorded},
        {R"({"ok":true,"carried":"nextStep"})", recorded},
        {R"({"ok":true,"carried":[{"field":"nextStep","value":"ship","at":"t1"},
                                  {"at":null,"value":["a.c","b.c"],"field":"uncommitted"},
                                  7,
                                  {"field":["nextStep"],"value":"","at":2.5}]})",
         carried},
        // A null marco wins over anything carried.
        {R"({"ok":true,"marco":null,"carried":[{"field":"x"}]})",
         "no marco recorded yet; record one with \"tarvolt-ctl progress --point <where you are>\""},
        {R"({"ok":true,"carried":[{"field":"x"}],"marco":{"at":"t1","point":"p","uncommitted":"","nextStep":"",
            "discarded":"old plan","discardedAt":"t1"}})",
         "marco recorded at t1\npoint: p\ndiscarded: old plan"},
        // Absent and null fields still have their line; only an empty text drops it.
        {R"({"ok":true,"marco":{"at":"t1","point":"p","nextStep":null,"discarded":[]}})",
         "marco recorded at t1\npoint: p\nuncommitted: undefined\nnext step: null"},
        {R"({"ok":true,"marco":{"point":"ação ✓","at":"t1","uncommitted":["a.c",["b.c"]],"uncommittedAt":null,
            "nextStep":false,"nextStepAt":"t1 ","discarded":0,"discardedAt":{"t":1}}})",
         "marco recorded at t1\npoint: ação ✓\nuncommitted: a.c,b.c\nnext step: false (stated at t1 )\n"
         "discarded: 0 (stated at [object Object])"},
        // The companion is compared by its text, whatever its kind.
        {R"({"ok":true,"marco":{"at":5,"point":"p","uncommitted":"u","uncommittedAt":"5","nextStep":"n",
            "nextStepAt":5.0,"discarded":"d","discardedAt":5.5}})",
         "marco recorded at 5\npoint: p\nuncommitted: u\nnext step: n\ndiscarded: d (stated at 5.5)"},
        {R"({"ok":true,"marco":[{"at":"t1"}]})",
         "marco recorded at undefined\npoint: undefined\nuncommitted: undefined\nnext step: undefined\n"
         "discarded: undefined"},
    };
    for (const auto& [reply, body] : cases) EXPECT_EQ(rendered(render_progress, reply), body) << reply;
}

TEST(LedgerRender, InboxAndAck) {
    const std::string closing = "acknowledge them with \"tarvolt-ctl ack\" once you have read them";
    const Case cases[] = {
        {render_inbox, R"({"ok":true,"reports":[]})", "no unread report"},
        // A null issue still counts as one; a null task has no line, an absent one prints.
        {render_inbox,
         R"({"ok":true,"reports":[{"reportId":1,"from":"a","at":"t","taskText":null,"issue":null,"text":"x"},
            {"reportId":2,"from":"b","at":"t","text":"línea 1\nlínea 2"}]})",
         "--- report 1 from a at t\n(unavailable: null)\n\n"
         "--- report 2 from b at t\ntask: undefined\nlínea 1\nlínea 2\n\n"},
        {render_inbox, R"({"ok":true,"reports":["r1"]})",
         "--- report undefined from undefined at undefined\ntask: undefined\nundefined\n\n"},
        // Nothing acknowledged: the name lists are not even looked at.
        {render_ack, R"({"ok":true,"acknowledgedReportIds":[],"closedTerminalNames":"x"})",
         "no report needed acknowledging"},
        {render_ack,
         R"({"ok":true,"acknowledgedReportIds":["r1","r2","r3"],"closedTerminalNames":[],
            "closedWithoutCommitsTerminalNames":[],"closedInPlainFolderTerminalNames":[],
            "keptTerminalNames":["a","b"]})",
         "acknowledged 3 report(s); still open because their work did not reach your worktree: a, b"},
        {render_ack,
         R"({"ok":true,"keptTerminalNames":[],"closedInPlainFolderTerminalNames":["p"],
            "closedWithoutCommitsTerminalNames":[null,3,["x","y"],{"n":1}],"closedTerminalNames":["ação"],
            "acknowledgedReportIds":[null]})",
         "acknowledged 1 report(s); closed for good, their work is in your worktree: ação; closed for good, no "
         "commits on their branch: null, 3, x,y, [object Object]; closed for good, they worked directly in your "
         "folder and there was nothing to merge: p"},
        {render_ack,
         R"({"ok":true,"acknowledgedReportIds":[1],"closedTerminalNames":[],
            "closedWithoutCommitsTerminalNames":[],"closedInPlainFolderTerminalNames":[],"keptTerminalNames":[]})",
         "acknowledged 1 report(s)"},
    };
    for (const Case& c : cases) {
        std::string want = c.body;
        if (c.render == render_inbox && want != "no unread report") want += closing;
        EXPECT_EQ(rendered(c.render, c.reply), want) << c.reply;
    }
}

TEST(LedgerRender, Status) {
    const std::string header = "workstation: ws\nworktree: /w/ação on main at abc123\n\npanels:\n";
    const std::pair<const char*, std::string> panels[] = {
        // Truthiness, not the boolean true, flags an unread report.
        {R"({"name":"n","role":"r","terminalStatus":null,"taskText":null,"taskStatus":null,"progressPoint":null,
             "reportUnread":0})",
         "  n  [r]  no process  no task recorded"},
        {R"({"name":"n","role":"r","terminalStatus":null,"taskText":null,"taskStatus":null,"progressPoint":null,
             "reportUnread":"0"})",
         "  n  [r]  no process  no task recorded  REPORT NOT READ"},
        // Absent members are not null: they print, as "undefined".
        {R"({})", "  undefined  [undefined]  undefined  \"undefined\" [undefined]\n    marco: undefined"},
    };
    for (const auto& [panel, line] : panels) {
        const std::string reply = R"({"ok":true,"workstationName":"ws","worktreePath":"/w/ação",
            "branchName":"main","headCommit":"abc123","panels":[)" + std::string(panel) + "]}";
        EXPECT_EQ(rendered(render_status, reply), header + line) << panel;
    }

    const std::pair<const char*, const char*> headers[] = {
        {R"({"ok":true,"workstationName":"ws","worktreePath":null,"panels":[]})",
         "workstation: ws\n\npanels:\n  (none)"},
        {R"({"ok":true,"panels":[]})",
         "workstation: undefined\nworktree: undefined on undefined at undefined\n\npanels:\n  (none)"},
        {R"({"ok":true,"workstationName":"ws","worktreePath":"/w","branchName":null,"headCommit":null,"panels":[]})",
         "workstation: ws\nworktree: /w\n\npanels:\n  (none)"},
        {R"({"ok":true,"workstationName":"ws","worktreePath":"/w","branchName":"b","headCommit":null,
            "panels":[{"name":"a","role":"r","terminalStatus":"s","taskText":null,"taskStatus":null,
            "progressPoint":null},{"name":"b","role":"r","terminalStatus":"s","taskText":"t","taskStatus":"done",
            "progressPoint":"p"}]})",
         "workstation: ws\nworktree: /w on b\n\npanels:\n  a  [r]  s  no task recorded\n"
         "  b  [r]  s  \"t\" [done]\n    marco: p"},
    };
    for (const auto& [reply, body] : headers) EXPECT_EQ(rendered(render_status, reply), body) << reply;
}

TEST(LedgerRender, WrongShapeMessages) {
    const Case cases[] = {
        {render_inbox, R"({"ok":true,"reports":null})", null_length},
        {render_inbox, R"({"ok":true,"reports":"r1"})", "responseBody.reports is not iterable"},

        {render_ack, R"({"ok":true})", absent_length},
        {render_ack, R"({"ok":true,"acknowledgedReportIds":"r1"})",
         "responseBody.acknowledgedReportIds.length is not a number"},
        {render_ack, R"({"ok":true,"acknowledgedReportIds":["r1"]})", absent_length},
        {render_ack, R"({"ok":true,"acknowledgedReportIds":["r1"],"closedTerminalNames":"x"})",
         "responseBody.closedTerminalNames.join is not a function"},
        // The first bad list in the fixed order decides, whatever the reply's order.
        {render_ack,
         R"({"ok":true,"keptTerminalNames":"k","closedWithoutCommitsTerminalNames":null,
            "closedTerminalNames":["a"],"acknowledgedReportIds":["r1"]})",
         null_length},
        {render_ack,
         R"({"ok":true,"acknowledgedReportIds":["r1"],"closedTerminalNames":["a"],
            "closedWithoutCommitsTerminalNames":{},"keptTerminalNames":7})",
         "responseBody.closedWithoutCommitsTerminalNames.join is not a function"},
        // A bad last list spoils the line even when every earlier one is fine.
        {render_ack,
         R"({"ok":true,"acknowledgedReportIds":["r1"],"closedTerminalNames":["a"],
            "closedWithoutCommitsTerminalNames":["b"],"closedInPlainFolderTerminalNames":["c"],
            "keptTerminalNames":"d"})",
         "responseBody.keptTerminalNames.join is not a function"},

        {render_status, R"({"ok":true,"panels":null})", null_length},
        {render_status, R"({"ok":true,"panels":{"name":"api-2"}})", "responseBody.panels is not iterable"},
    };
    for (const Case& c : cases) EXPECT_EQ(failure(c.render, c.reply), c.body) << c.reply;
}

}  // namespace
}  // namespace tv
