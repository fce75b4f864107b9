// Output streams that a caller left full, closed or without a reader: a
// result that cannot be written is a failure, lost warnings are not, and the
// run always ends with its status.
#include "support/fake_app.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

using namespace std::chrono_literals;
using tvtest::Sink;

TEST(OutputFaults, EndsWithItsStatusWhateverTheStreams) {
    tvtest::ScratchDir scratch("output-faults");
    const std::string path = (scratch / "kite.png").string();
    tvtest::FakeApp app(tvtest::plan_then(tvtest::tool_plan(path, "printf png > '" + path + "'")));
    const std::vector<std::string> sent = {"send", "--to", "api-2", "--message", "m"};
    const std::vector<std::string> refused = {"send", "--to", "api-2"};  // no --message
    const std::vector<std::string> image = {"image", "--prompt", "kite"};
    const std::string progress =
        "tarvolt-ctl: [1/1] generating with local tool Codex, model m, up to 1 min; writing " + path + "\n";
    const std::string not_written = "could not write the result to standard output: ";
    const tvtest::RunResult full = tvtest::refused(not_written + "No space left on device (os error 28)");
    // The arguments, where standard output and error go, and what could be read.
    const std::tuple<std::vector<std::string>, Sink, Sink, tvtest::RunResult> rows[] = {
        {sent, Sink::full, Sink::pipe, full},
        {sent, Sink::closed, Sink::pipe, tvtest::refused(not_written + "Bad file descriptor (os error 9)")},
        {{"help"}, Sink::full, Sink::pipe, full},
        {refused, Sink::pipe, Sink::closed, {1, "", ""}},
        {refused, Sink::pipe, Sink::reader_gone, {1, "", ""}},
        {refused, Sink::full, Sink::full, {1, "", ""}},
        {sent, Sink::full, Sink::reader_gone, {1, "", ""}},
        // The image is recorded before its path cannot be printed.
        {image, Sink::full, Sink::pipe, {1, "", progress + full.err}},
        {image, Sink::pipe, Sink::closed, tvtest::printed(path + "\n")},
        {image, Sink::pipe, Sink::reader_gone, tvtest::printed(path + "\n")},
        {image, Sink::pipe, Sink::full, tvtest::printed(path + "\n")}};
    for (const auto& row : rows) {
        const auto& [args, out, err, result] = row;
        const auto r = tvtest::run_ctl(args, tvtest::pane_env(app.port()), {.out = out, .err = err, .limit = 20s});
        EXPECT_EQ(r, result) << "row " << &row - rows;
    }
    // Each of the four image runs recorded its file, whether or not its path could be printed.
    const auto requests = app.requests();
    EXPECT_EQ(std::ranges::count_if(requests, [](const auto& q) { return tvtest::phase_of(q) == "record"; }), 4);
}

}  // namespace
