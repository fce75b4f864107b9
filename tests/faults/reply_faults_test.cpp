// NUL bytes and text that is not UTF-8 in every member name and string value
// of a reply: the run either refuses the reply in one sentence or carries on
// exactly as with the text decoded (bad bytes replaced, NUL kept).
#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"
#include "values/json.h"

#include <gtest/gtest.h>
#include <regex>

namespace {

using tv::Json;
using tvtest::replaced;

constexpr std::string_view marker = "@@FAULT@@";

const std::string status_reply =
    R"({"ok":true,"workstationName":"ws","worktreePath":"/w","branchName":"main","headCommit":"abc",
        "panels":[{"name":"api-2","role":"subagent","terminalStatus":"running","taskText":"fix","taskStatus":"open",
        "reportUnread":1,"progressPoint":"halfway"}],"pending":{"unreadReports":1,"runningTasks":2,"degraded":true}})";

// Appends the marker to the string position numbered `target` (member names
// and string values, in document order); returns the number of positions.
int mark(Json& value, int target, int seen = 0) {
    if (value.is_string()) {
        if (seen == target) value = value.get<std::string>() + std::string(marker);
        return seen + 1;
    }
    if (value.is_array()) {
        for (Json& item : value) seen = mark(item, target, seen);
    } else if (value.is_object()) {
        Json renamed = Json::object();
        for (auto& [key, item] : value.items()) {
            const std::string name = seen++ == target ? key + std::string(marker) : key;
            seen = mark(item, target, seen);
            renamed[name] = std::move(item);
        }
        value = std::move(renamed);
    }
    return seen;
}

tvtest::RunResult run_status(const std::string& reply_text) {
    tvtest::FakeApp app({tvtest::json_answer(reply_text)});
    return tvtest::run_ctl({"status"}, tvtest::pane_env(app.port()));
}

TEST(ReplyFaults, NulAndBadUtf8InEveryStringPosition) {
    const std::regex refused("tarvolt-ctl: invalid response from the tarvolt: [^\n]* at line 1 column [0-9]+\n");
    const Json template_reply = tv::parse_json(status_reply).value.value();
    Json counted = template_reply;
    const int positions = mark(counted, -1);
    ASSERT_EQ(positions, 27);

    const struct {
        std::string fault;      // the bytes put into the reply text
        std::string same_as;    // a reply text that must give the same run, or "" for a refusal
        std::string same_back;  // in that run's output, what stands for the fault's decoded text
    } faults[] = {
        {"\xff\xfe", "\\ufffd\\ufffd", ""},
        {"\xed\xa0\x80", "\\ufffd\\ufffd\\ufffd", ""},  // a surrogate written as UTF-8
        {"\xc3", "\\ufffd", ""},                        // cut short before the quote
        {"\\u0000", "~", std::string(1, '\0')},
        {std::string(1, '\0'), "", ""},
        {"\\ud800", "", ""},
        {"\\udc00x", "", ""},
    };
    for (int p = 0; p < positions; ++p) {
        Json marked = template_reply;
        mark(marked, p);
        const std::string text = tv::to_compact_text(marked);
        for (const auto& f : faults) {
            const std::string where = "position " + std::to_string(p) + " fault " + testing::PrintToString(f.fault);
            const tvtest::RunResult r = run_status(replaced(text, marker, f.fault));
            if (f.same_as.empty()) {
                EXPECT_EQ(r.status, 1) << where;
                EXPECT_EQ(r.out, "") << where;
                EXPECT_TRUE(std::regex_match(r.err, refused)) << where << ": " << r.err;
                continue;
            }
            tvtest::RunResult same = run_status(replaced(text, marker, f.same_as));
            if (!f.same_back.empty()) {
                same.out = replaced(same.out, "~", f.same_back);
                same.err = replaced(same.err, "~", f.same_back);
            }
            EXPECT_EQ(r.status, same.status) << where;
            EXPECT_EQ(r.out, same.out) << where;
            EXPECT_EQ(r.err, same.err) << where;
            // Either a result or one sentence.
            if (r.status == 0) {
                EXPECT_EQ(r.err, "") << where;
            } else {
                EXPECT_EQ(r.status, 1) << where;
                EXPECT_EQ(r.out, "") << where;
                EXPECT_TRUE(r.err.starts_with("tarvolt-ctl: ") && r.err.find('\n') == r.err.size() - 1)
                    << where << ": " << r.err;
            }
        }
    }
}

}  // namespace
