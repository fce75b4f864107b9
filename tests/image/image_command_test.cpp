#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>
#include <fstream>
#include <functional>
#include <optional>

namespace {

using tv::Json;
using tvtest::replaced;
using tvtest::RunResult;

Json tool(const std::string& id, const std::string& name, const std::string& command_line, int timeout_ms = 20'000) {
    return {{"kind", "command"}, {"timeoutMs", timeout_ms}, {"imageCliId", id},
            {"toolName", name},  {"model", "m-" + id},      {"commandLine", command_line}};
}

Json api(const std::string& id, const std::string& name) {
    return {{"kind", "api"}, {"timeoutMs", 60'000}, {"apiId", id}, {"apiName", name}, {"model", "openai/gpt-5-image"}};
}

class ImageCommand : public testing::Test {
protected:
    // The stand-in app, two image APIs being registered: the plan, then `later` to every later phase.
    void serve(const std::vector<Json>& attempts, std::function<std::string(const Json& body)> later = {}) {
        const Json plan = {{"ok", true}, {"attempts", attempts}, {"outputPath", path_}, {"registeredApiCount", 2}};
        app_.emplace(tvtest::plan_then(tv::to_compact_text(plan), later));
    }
    RunResult run(std::vector<std::string> args, std::vector<std::string> env = {}) {
        args.insert(args.begin(), "image");
        for (auto& v : tvtest::pane_env(app_->port(), "pane-2")) env.push_back(v);
        return tvtest::run_ctl(args, env);
    }
    // A run that failed with this standard error, {path} and the other placeholders filled in.
    RunResult failed(std::string err, const std::vector<std::pair<std::string, std::string>>& values = {}) const {
        for (const auto& [from, to] : values) err = replaced(err, from, to);
        return {1, "", replaced(err, "{path}", path_)};
    }
    std::string draw() const { return "printf png > '" + path_ + "'"; }

    tvtest::ScratchDir scratch_{"image-command"};
    std::string path_ = (scratch_ / "kite.png").string();
    std::optional<tvtest::FakeApp> app_;
};

TEST_F(ImageCommand, PrintsOnlyThePathOfTheFileTheToolDrew) {
    serve({tool("codex-image", "Codex", draw() + "; echo chatter; echo chatter >&2")},
          [](const Json& b) { return b["phase"] == "record" ? R"({"ok":false,"error":"ledger is read-only"})" : ""; });
    const std::string err =
        R"(tarvolt-ctl: [1/1] generating with local tool Codex, model m-codex-image, up to 1 min; writing {path}
tarvolt-ctl: the image was generated but not recorded: ledger is read-only
)";
    EXPECT_EQ(run({"--prompt", "a red kite", "--tool", "codex-image", "--out", "k.png"}),
              (RunResult{0, path_ + "\n", replaced(err, "{path}", path_)}));
    // The plan's body and the record's are pinned by the command line and the tool fault runs.
    EXPECT_EQ(app_->requests().size(), 2u);
}

TEST_F(ImageCommand, FallsBackAlongTheChainAndListsEveryAnswer) {
    std::ofstream(path_) << "stale";
    serve({tool("codex-image", "Codex", "true"), api("or-1", "OpenRouter"), api("fal", "Fal")}, [](const Json& b) {
        if (b["phase"] == "failure") return b.contains("tool") ? R"({"ok":false,"error":"journal full"})" : "";
        if (b.value("api", "") == "fal") return R"({"ok":false,"error":"402 Payment Required\n"})";
        return R"({"ok":false,"error":"no credit left"})";
    });
    const std::string reason = "exited cleanly but wrote no file at " + path_ + "; the tool printed nothing on stderr";
    // The API notice comes once, before the first API.
    EXPECT_EQ(
        run({"--prompt", "kite"}),
        failed(R"(tarvolt-ctl: [1/3] generating with local tool Codex, model m-codex-image, up to 1 min; writing {path}
tarvolt-ctl: could not report the failed image attempt: journal full
tarvolt-ctl: Codex {reason}
tarvolt-ctl: falling back to registered API OpenRouter
tarvolt-ctl: the next attempt is an API call made by the app itself. Its model id reads author/slug, so the part before the slash is who made the MODEL, never a second service.
tarvolt-ctl: [2/3] generating with registered API OpenRouter, model openai/gpt-5-image, up to 1 min; writing {path}
tarvolt-ctl: OpenRouter no credit left
tarvolt-ctl: falling back to registered API Fal
tarvolt-ctl: [3/3] generating with registered API Fal, model openai/gpt-5-image, up to 1 min; writing {path}
tarvolt-ctl: Fal 402 Payment Required

tarvolt-ctl: no image source delivered a file for this prompt. What each one answered:
  1. local tool Codex, model m-codex-image: {reason}
  2. registered API OpenRouter, model openai/gpt-5-image: no credit left
  3. registered API Fal, model openai/gpt-5-image: 402 Payment Required
The registered image API above was the last resort and it did not deliver either.
Every local tool above is installed and authenticated, so this is not a missing tool: read the reasons before deciding what to fix. Nothing else generates pixels — report this instead of drawing it another way.
)",
               {{"{reason}", reason}}));
    const std::vector<tvtest::Request> sent = app_->requests();
    ASSERT_EQ(sent.size(), 6u);
    const std::string from = R"({"command":"image","from":"pane-2","phase":)";
    EXPECT_EQ(sent[1].body, from + R"("failure","tool":"codex-image","detail":")" + reason + R"("})");
    EXPECT_EQ(sent[2].body, from + R"("api-start","api":"or-1","prompt":"kite","path":")" + path_ + R"("})");
    EXPECT_EQ(sent[5].body, from + R"("failure","api":"fal","detail":"402 Payment Required\n"})");
}

TEST_F(ImageCommand, NamesTheOneSourceThatWasAskedFor) {
    serve({tool("codex-image", "Codex", "echo 'quota used up  ' >&2; exit 3")});
    const std::string err =
        R"(tarvolt-ctl: [1/1] generating with local tool Codex, model m-codex-image, up to 1 min; writing {path}
tarvolt-ctl: Codex failed with exit code 3; the tool reported: quota used up
tarvolt-ctl: the image source you named did not deliver a file for this prompt. What it answered:
  local tool Codex, model m-codex-image: failed with exit code 3; the tool reported: quota used up
{option} runs the one source you named and nothing else: no other tool and no image API was tried, which is exactly what naming one asks for. It was reachable, so this is not a missing tool or an unconfigured API: read the reason above, then either fix what it reported or repeat without {option} to let the app walk its default order. Nothing else generates pixels — report this instead of drawing it another way.
)";
    // --api before --tool before --model.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--prompt", "kite", "--model", "x", "--tool", "codex-image"}, "--tool"},
        {{"--prompt", "kite", "--tool", "codex-image", "--api", ""}, "--api"},
        {{"--prompt", "kite", "--model", "x"}, "--model"}};
    for (const auto& [args, option] : cases) EXPECT_EQ(run(args), failed(err, {{"{option}", option}})) << option;
}

TEST_F(ImageCommand, EndsTheRunWhenNoShellCanBeStarted) {
    serve({tool("codex-image", "Codex", draw()), api("or-1", "OpenRouter")});
    // Found before the PATH that run_ctl appends.
    EXPECT_EQ(
        run({"--prompt", "kite"}, {"PATH=" + scratch_.path().string()}),
        failed(R"(tarvolt-ctl: [1/2] generating with local tool Codex, model m-codex-image, up to 1 min; writing {path}
tarvolt-ctl: could not start the image tool: No such file or directory (os error 2)
)"));
    EXPECT_EQ(app_->requests().size(), 1u);  // neither a failure report nor a fallback
}

TEST_F(ImageCommand, ListsEveryToolOfANamedChain) {
    const std::string long_reason(601, 'e');
    serve({tool("codex-image", "Codex", "echo slow >&2; exit 4"),
           tool("grok-imagine", "Grok", "printf '" + long_reason + "' >&2; exit 1", 61'000)});
    EXPECT_EQ(
        run({"--prompt", "kite", "--model", "m"}),
        failed(R"(tarvolt-ctl: [1/2] generating with local tool Codex, model m-codex-image, up to 1 min; writing {path}
tarvolt-ctl: Codex failed with exit code 4; the tool reported: slow
tarvolt-ctl: falling back to local tool Grok
tarvolt-ctl: [2/2] generating with local tool Grok, model m-grok-imagine, up to 2 min; writing {path}
tarvolt-ctl: Grok failed with exit code 1; the tool reported: {601}
tarvolt-ctl: no image source delivered a file for this prompt. What each one answered:
  1. local tool Codex, model m-codex-image: failed with exit code 4; the tool reported: slow
  2. local tool Grok, model m-grok-imagine: {600}… (output truncated)
The registered image APIs were left out of this chain because a source was named explicitly.
Every local tool above is installed and authenticated, so this is not a missing tool: read the reasons before deciding what to fix. Nothing else generates pixels — report this instead of drawing it another way.
)",
               {{"{601}", long_reason},
                {"{600}", ("failed with exit code 1; the tool reported: " + long_reason).substr(0, 600)}}));
}

}  // namespace
