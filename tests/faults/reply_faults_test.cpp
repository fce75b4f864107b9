// NUL bytes and text that is not UTF-8 in every member name and string value
// of a reply: the run either refuses the reply in one sentence or carries on
// exactly as with the text decoded (bad bytes replaced, NUL kept).
#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"

#include <gtest/gtest.h>
#include <regex>

namespace {

const std::string status_reply =
    R"({"ok":true,"workstationName":"ws","worktreePath":"/w","branchName":"main","headCommit":"abc",)"
    R"("panels":[{"name":"api-2","role":"subagent","terminalStatus":"running","taskText":"fix","taskStatus":"open",)"
    R"("reportUnread":1,"progressPoint":"halfway"}],"pending":{"unreadReports":1,"runningTasks":2,"degraded":true}})";

tvtest::RunResult run_status(const std::string& reply_text) {
    tvtest::FakeApp app({tvtest::json_answer(reply_text)});
    return tvtest::run_ctl({"status"}, tvtest::pane_env(app.port()));
}

TEST(ReplyFaults, NulAndBadUtf8InEveryStringPosition) {
    const std::regex refused("tarvolt-ctl: invalid response from the tarvolt: [^\n]* at line 1 column [0-9]+\n");
    const std::regex sentence("tarvolt-ctl: [^\n]*\n");
    // Where each member name and string value closes (no quote is escaped).
    std::vector<std::size_t> ends;
    for (auto at = status_reply.find('"'); at != std::string::npos; at = status_reply.find('"', ends.back() + 1))
        ends.push_back(status_reply.find('"', at + 1));
    ASSERT_EQ(ends.size(), 27u);

    // The bytes put into the reply text; a reply text that must give the same
    // run, or "" for a refusal; in that run's output, what stands for its "~".
    const std::tuple<std::string, std::string, std::string> faults[] = {
        {"\xff\xfe", "\\ufffd\\ufffd", "~"},
        {"\xed\xa0\x80", "\\ufffd\\ufffd\\ufffd", "~"},  // a surrogate written as UTF-8
        {"\xc3", "\\ufffd", "~"},                        // cut short before the quote
        {"\\u0000", "~", std::string(1, '\0')},
        {std::string(1, '\0'), "", ""},
        {"\\ud800", "", ""},
        {"\\udc00x", "", ""}};
    for (const std::size_t end : ends) {
        for (const auto& [fault, same_as, same_back] : faults) {
            const std::string where = "at " + std::to_string(end) + " fault " + testing::PrintToString(fault);
            const tvtest::RunResult r = run_status(std::string(status_reply).insert(end, fault));
            if (same_as.empty()) {
                EXPECT_TRUE(r.status == 1 && r.out.empty() && std::regex_match(r.err, refused))
                    << where << ": " << testing::PrintToString(r);
                continue;
            }
            const tvtest::RunResult same = run_status(std::string(status_reply).insert(end, same_as));
            EXPECT_EQ(r, (tvtest::RunResult{same.status, tvtest::replaced(same.out, "~", same_back),
                                            tvtest::replaced(same.err, "~", same_back)}))
                << where;
            // Either a result or one sentence.
            EXPECT_TRUE(r.status == 0 ? r.err.empty()
                                      : r.status == 1 && r.out.empty() && std::regex_match(r.err, sentence))
                << where << ": " << testing::PrintToString(r);
        }
    }
}

}  // namespace
