// Output streams that a caller left full, closed or without a reader: a
// result that cannot be written is a failure, lost warnings are not, and the
// run always ends with its status.
#include "support/fake_app.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

namespace {

using tvtest::Sink;

TEST(OutputFaults, EndsWithItsStatusWhateverTheStreams) {
    tvtest::ScratchDir scratch("output-faults");
    const std::string path = (scratch / "kite.png").string();
    const std::string plan = R"({"ok":true,"outputPath":")" + path +
                             R"(","attempts":[{"kind":"command","timeoutMs":20000,"imageCliId":"codex-image",)"
                             R"("toolName":"Codex","model":"m","commandLine":"printf png > ')" +
                             path + R"('"}]})";
    tvtest::FakeApp app([&](const tvtest::Request& request) {
        if (request.body.find(R"("to":"gone")") != std::string::npos)
            return tvtest::json_answer(R"({"ok":false,"error":"no pane"})");
        return tvtest::json_answer(request.body.find("\"plan\"") != std::string::npos ? plan : R"({"ok":true})");
    });
    const std::vector<std::string> sent = {"send", "--to", "api-2", "--message", "m"};
    const std::vector<std::string> refused = {"send", "--to", "gone", "--message", "m"};
    const std::vector<std::string> image = {"image", "--prompt", "kite"};
    const std::string not_written = "tarvolt-ctl: could not write the result to standard output: ";
    const struct {
        std::vector<std::string> args;
        Sink out, err;
        int status;
        std::string out_text, err_text;  // what could be read
    } rows[] = {
        {sent, Sink::full, Sink::pipe, 1, "", not_written + "No space left on device (os error 28)\n"},
        {sent, Sink::closed, Sink::pipe, 1, "", not_written + "Bad file descriptor (os error 9)\n"},
        {{"help"}, Sink::full, Sink::pipe, 1, "", not_written + "No space left on device (os error 28)\n"},
        {sent, Sink::pipe, Sink::closed, 0, "message sent\n", ""},
        {sent, Sink::pipe, Sink::reader_gone, 0, "message sent\n", ""},
        {sent, Sink::pipe, Sink::full, 0, "message sent\n", ""},
        {refused, Sink::pipe, Sink::closed, 1, "", ""},
        {refused, Sink::pipe, Sink::reader_gone, 1, "", ""},
        {refused, Sink::full, Sink::full, 1, "", ""},
        {sent, Sink::closed, Sink::closed, 1, "", ""},
        {sent, Sink::full, Sink::reader_gone, 1, "", ""},
        // The image is recorded before its path cannot be printed.
        {image, Sink::full, Sink::pipe, 1, "",
         "tarvolt-ctl: [1/1] generating with local tool Codex, model m, up to 1 min; writing " + path + "\n" +
             not_written + "No space left on device (os error 28)\n"},
        {image, Sink::pipe, Sink::closed, 0, path + "\n", ""},
        {image, Sink::pipe, Sink::reader_gone, 0, path + "\n", ""},
    };
    for (const auto& row : rows) {
        const std::string label = testing::PrintToString(row.args) + " out " + std::to_string(int(row.out)) + " err " +
                                  std::to_string(int(row.err));
        const auto r = tvtest::run_ctl(row.args, tvtest::pane_env(app.port()),
                                       {.out = row.out, .err = row.err, .limit = std::chrono::seconds(20)});
        EXPECT_EQ(r.status, row.status) << label;
        EXPECT_EQ(r.out, row.out_text) << label;
        EXPECT_EQ(r.err, row.err_text) << label;
    }
}

}  // namespace
