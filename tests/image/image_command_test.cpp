#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"
#include "values/json.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

namespace {

namespace fs = std::filesystem;
using tv::Json;

const std::string notice =
    "tarvolt-ctl: the next attempt is an API call made by the app itself. Its model id reads author/slug, so the "
    "part before the slash is who made the MODEL, never a second service.\n";
const std::string last_line =
    "Every local tool above is installed and authenticated, so this is not a missing tool: read the reasons before "
    "deciding what to fix. Nothing else generates pixels \u2014 report this instead of drawing it another way.\n";

Json tool(const std::string& id, const std::string& name, const std::string& command_line,
          std::uint64_t timeout_ms = 20'000) {
    return {{"kind", "command"}, {"timeoutMs", timeout_ms}, {"imageCliId", id},
            {"toolName", name},  {"model", "m-" + id},      {"commandLine", command_line}};
}

Json api(const std::string& id, const std::string& name) {
    return {{"kind", "api"}, {"timeoutMs", 60'000}, {"apiId", id}, {"apiName", name}, {"model", "openai/gpt-5-image"}};
}

// The stand-in app: the plan, and an answer per later phase ({"ok":true} when
// none is given).
class ImageApp {
public:
    using PhaseAnswer = std::function<std::string(const Json& request)>;

    ImageApp(Json plan, std::map<std::string, PhaseAnswer> phases)
        : plan_(std::move(plan)), phases_(std::move(phases)), app_([this](const tvtest::Request& r) {
              const Json body = tvtest::parse_or_fail(r.body);
              const std::string phase = body.value("phase", "");
              if (phase == "plan") return tvtest::json_answer(tv::to_compact_text(plan_));
              const auto found = phases_.find(phase);
              return tvtest::json_answer(found == phases_.end() ? R"({"ok":true})" : found->second(body));
          }) {}

    tvtest::RunResult run(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), "image");
        for (auto& v : tvtest::pane_env(app_.port(), "pane-2")) env.push_back(v);
        return tvtest::run_ctl(args, env);
    }

    std::vector<std::string> bodies() const {
        std::vector<std::string> out;
        for (const auto& r : app_.requests()) out.push_back(r.body);
        return out;
    }

private:
    Json plan_;
    std::map<std::string, PhaseAnswer> phases_;
    tvtest::FakeApp app_;
};

class ImageCommand : public testing::Test {
protected:
    void SetUp() override { path_ = (dir_ / "kite.png").string(); }

    Json plan(Json attempts, Json extra = Json::object()) const {
        Json p = {{"ok", true}, {"attempts", std::move(attempts)}, {"outputPath", path_}};
        for (auto& [k, v] : extra.items()) p[k] = v;
        return p;
    }
    std::string progress(int i, int n, const std::string& label, int minutes = 1) const {
        return "tarvolt-ctl: [" + std::to_string(i) + "/" + std::to_string(n) + "] generating with " + label +
               ", up to " + std::to_string(minutes) + " min; writing " + path_ + "\n";
    }
    std::string draw() const { return "printf png > '" + path_ + "'"; }

    tvtest::ScratchDir scratch_{"image-command"};
    const fs::path& dir_ = scratch_.path();
    std::string path_;
};
// Runs that wait for a tool's time limit.
using ImageCommandSlow = ImageCommand;

TEST_F(ImageCommand, PrintsOnlyThePathOfTheFileTheToolDrew) {
    std::ofstream(path_) << "left by an earlier run";
    // The stale file must be gone before the tool starts.
    // One element in braces is a copy for clang and an array for g++.
    ImageApp app(
        plan(Json::array({tool("codex-image", "Codex",
                               "[ ! -e '" + path_ + "' ] || exit 9; " + draw() + "; echo chatter; echo chatter >&2")})),
        {{"record", [](const Json&) { return R"({"ok":false,"error":"ledger is read-only"})"; }}});
    const tvtest::RunResult r = app.run({"--prompt", "a red kite", "--tool", "codex-image", "--out", "k.png"});
    EXPECT_EQ(r.out, path_ + "\n");
    EXPECT_EQ(r.err, progress(1, 1, "local tool Codex, model m-codex-image") +
                         "tarvolt-ctl: the image was generated but not recorded: ledger is read-only\n");
    EXPECT_EQ(r.status, 0);
    // The plan's body and the record's are pinned by the command line and the tool fault runs.
    EXPECT_EQ(app.bodies().size(), 2u);
}

TEST_F(ImageCommand, FallsBackAlongTheChainAndListsEveryAnswer) {
    std::ofstream(path_) << "stale";
    ImageApp app(plan({tool("codex-image", "Codex", "true"), api("or-1", "OpenRouter"), api("fal", "Fal")}),
                 {{"failure",
                   [](const Json& b) {
                       return b.contains("tool") ? R"({"ok":false,"error":"journal full"})" : R"({"ok":true})";
                   }},
                  {"api-start", [](const Json& b) {
                       return b["api"] == "fal" ? R"({"ok":false,"error":"402 Payment Required \n"})"
                                                : R"({"ok":false,"error":"no credit left"})";
                   }}});
    const tvtest::RunResult r = app.run({"--prompt", "kite"});
    const std::string tool_reason =
        "exited cleanly but wrote no file at " + path_ + "; the tool printed nothing on stderr";
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 1);
    // The API notice comes once, before the first API.
    EXPECT_EQ(r.err, progress(1, 3, "local tool Codex, model m-codex-image") +
                         "tarvolt-ctl: could not report the failed image attempt: journal full\n"
                         "tarvolt-ctl: Codex " +
                         tool_reason +
                         "\n"
                         "tarvolt-ctl: falling back to registered API OpenRouter\n" +
                         notice + progress(2, 3, "registered API OpenRouter, model openai/gpt-5-image") +
                         "tarvolt-ctl: OpenRouter no credit left\n"
                         "tarvolt-ctl: falling back to registered API Fal\n" +
                         progress(3, 3, "registered API Fal, model openai/gpt-5-image") +
                         "tarvolt-ctl: Fal 402 Payment Required \n\n"
                         "tarvolt-ctl: no image source delivered a file for this prompt. What each one answered:\n"
                         "  1. local tool Codex, model m-codex-image: " +
                         tool_reason +
                         "\n"
                         "  2. registered API OpenRouter, model openai/gpt-5-image: no credit left\n"
                         "  3. registered API Fal, model openai/gpt-5-image: 402 Payment Required\n"
                         "The registered image API above was the last resort and it did not deliver either.\n" +
                         last_line);
    const std::vector<std::string> bodies = app.bodies();
    ASSERT_EQ(bodies.size(), 6u);
    EXPECT_EQ(bodies[1], R"({"command":"image","from":"pane-2","phase":"failure","tool":"codex-image","detail":")" +
                             tool_reason + R"("})");
    EXPECT_EQ(bodies[2],
              R"({"command":"image","from":"pane-2","phase":"api-start","api":"or-1","prompt":"kite","path":")" +
                  path_ + R"("})");
    EXPECT_EQ(
        bodies[5],
        R"({"command":"image","from":"pane-2","phase":"failure","api":"fal","detail":"402 Payment Required \n"})");
}

TEST_F(ImageCommand, NamesTheOneSourceThatWasAskedFor) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // --api before --tool before --model.
        {{"--model", "x", "--tool", "codex-image"}, "--tool"},
        {{"--tool", "codex-image", "--api", ""}, "--api"},
        {{"--model", "x"}, "--model"},
    };
    for (const auto& [options, option] : cases) {
        ImageApp app(plan(Json::array({tool("codex-image", "Codex", "echo 'quota used up  ' >&2; exit 3")})), {});
        std::vector<std::string> args = {"--prompt", "kite"};
        args.insert(args.end(), options.begin(), options.end());
        const tvtest::RunResult r = app.run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err,
                  progress(1, 1, "local tool Codex, model m-codex-image") +
                      "tarvolt-ctl: Codex failed with exit code 3; the tool reported: quota used up\n"
                      "tarvolt-ctl: the image source you named did not deliver a file for this prompt. What it "
                      "answered:\n"
                      "  local tool Codex, model m-codex-image: failed with exit code 3; the tool reported: quota "
                      "used up\n" +
                      option +
                      " runs the one source you named and nothing else: no other tool and no image API was tried, "
                      "which is exactly what naming one asks for. It was reachable, so this is not a missing tool or "
                      "an unconfigured API: read the reason above, then either fix what it reported or repeat "
                      "without " +
                      option +
                      " to let the app walk its default order. Nothing else generates pixels \u2014 report this "
                      "instead of drawing it another way.\n")
            << option;
    }
}

TEST_F(ImageCommand, EndsTheRunWhenNoShellCanBeStarted) {
    ImageApp app(plan({tool("codex-image", "Codex", draw()), api("or-1", "OpenRouter")}), {});
    // Found before the PATH that run_ctl appends.
    const tvtest::RunResult r = app.run({"--prompt", "kite"}, {"PATH=" + dir_.string()});
    EXPECT_EQ(r.err, progress(1, 2, "local tool Codex, model m-codex-image") +
                         "tarvolt-ctl: could not start the image tool: No such file or directory (os error 2)\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(app.bodies().size(), 1u);  // neither a failure report nor a fallback
}

TEST_F(ImageCommandSlow, StopsAToolAtItsLimitAndListsEveryToolOfANamedChain) {
    const std::string long_reason(601, 'e');
    ImageApp app(plan({tool("codex-image", "Codex", "echo slow >&2; exec sleep 30", 1'500),
                       tool("grok-imagine", "Grok", "printf '" + long_reason + "' >&2; exit 1", 61'000)},
                      {{"registeredApiCount", 2}}),
                 {});
    const tvtest::RunResult r = app.run({"--prompt", "kite", "--model", "m"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    const std::string slow = "did not finish within 1 minute(s) and was stopped; the tool reported: slow";
    const std::string grok = "failed with exit code 1; the tool reported: " + long_reason;
    EXPECT_EQ(r.err, progress(1, 2, "local tool Codex, model m-codex-image") + "tarvolt-ctl: Codex " + slow +
                         "\ntarvolt-ctl: falling back to local tool Grok\n" +
                         progress(2, 2, "local tool Grok, model m-grok-imagine", 2) + "tarvolt-ctl: Grok " + grok +
                         "\ntarvolt-ctl: no image source delivered a file for this prompt. What each one answered:\n"
                         "  1. local tool Codex, model m-codex-image: " +
                         slow +
                         "\n"
                         "  2. local tool Grok, model m-grok-imagine: " +
                         grok.substr(0, 600) +
                         "\u2026 (output truncated)\n"
                         "The registered image APIs were left out of this chain because a source was named "
                         "explicitly.\n" +
                         last_line);
}

}  // namespace
