// The stand-in with real panes: a private tmux server, small shell scripts
// as the panes' CLIs. An agent reporting by itself is demo_tmux.sh's to show.
#include "devapp/devapp_process.h"

#include <gtest/gtest.h>
#include <chrono>

namespace {

using devapptest::Devapp;
using namespace std::chrono_literals;

class TmuxPanes : public testing::Test {
protected:
    // A recorder of its input on claude, a command that ends at once on kimi.
    Devapp app{{"--panes", "tmux", "--cli-command",
                "claude=while IFS= read -r l; do printf '%s\\n' \"$l\" >>got.txt; done", "--cli-command",
                "kimi=exit 3"}};

    // tmux on the app's own server, from the line that tells how to attach.
    tvtest::RunResult tmux(std::vector<std::string> args) const {
        std::smatch m;
        std::regex_search(app.exports, m, std::regex("# watch the panes: (\\S+) -S (\\S+) attach"));
        args.insert(args.begin(), {m[1], "-S", m[2]});
        return tvtest::run(args);
    }
    // The line "<session> <pid>" of the window named so, or nothing.
    std::string where(const std::string& window) const {
        const std::string named = "#{==:#{window_name}," + window + "}";
        return tmux({"list-panes", "-a", "-f", named, "-F", "#{session_name} #{pane_pid}"}).out;
    }
};

TEST_F(TmuxPanes, StoppingTheAppEndsItsTmuxServer) {
    const std::string orchestrator = where("orchestrator");
    ASSERT_NE(orchestrator, "");
    EXPECT_EQ(app.stop(SIGTERM), 0);
    const pid_t shell = std::stoi(orchestrator.substr(orchestrator.find(' ')));
    EXPECT_TRUE(tvtest::within(5s, [shell] { return !tvtest::running(shell); }));
}

TEST_F(TmuxPanes, StandbyKeepsTheProcessTextArrivesWholeAndAnExitedCommandIsReported) {
    const std::string pane = app.ask("spawn", {{"cli", "claude"}, {"task", "wait here"}})["terminalName"];
    const std::string before = where(pane);
    const std::string session = before.substr(0, before.find(' '));
    ASSERT_EQ(app.ask("standby", {{"terminal", pane}})["ok"], true);
    EXPECT_EQ(where(pane), session + "-standby" + before.substr(session.size()));
    ASSERT_EQ(app.ask("resume", {{"terminal", pane}})["ok"], true);
    EXPECT_EQ(where(pane), before);
    const std::string message = "it's \"quoted\" $(touch bad) `x` \\ tab\there\nsecond line: é ✓ 日本";
    ASSERT_EQ(app.ask("send", {{"to", pane}, {"message", message}})["ok"], true);
    const std::string want = "wait here\n" + message + "\n";
    std::string got;
    EXPECT_TRUE(tvtest::within(5s, [&] { return (got = tvtest::read_file(app.folder + "/got.txt")) == want; })) << got;

    const std::string quitter = app.ask("spawn", {{"cli", "kimi"}, {"task", "leave"}})["terminalName"];
    EXPECT_TRUE(tvtest::within(5s, [&] { return app.ask("list")["terminals"][2]["status"] == "exited"; }));
    EXPECT_NE(where(quitter), "") << "the window stays for its last output";
    EXPECT_EQ(app.ask("send", {{"to", quitter}, {"message", "hello?"}})["error"],
              "the command in \"" + quitter + "\" has exited; its window keeps its last output until it is closed");
    EXPECT_EQ(where(pane), before);

    ASSERT_EQ(tmux({"kill-window", "-t", "=" + session + ":=" + quitter}).status, 0);
    EXPECT_EQ(app.ask("list")["terminals"].size(), 2u) << "a window killed from outside is gone";
}

}  // namespace
