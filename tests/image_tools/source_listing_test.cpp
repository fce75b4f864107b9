#include "image_tools/source_listing.h"
#include "support/fake_app.h"
#include "support/outcome.h"
#include "support/run_ctl.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

using tvtest::run_ctl;

const std::string header = "everything that can generate an image here, in the order the app tries it:\n\n";
const std::string no_tools = "  local image tools: none is registered in this build.";
const std::string no_apis = R"(  registered image APIs: none is registered and active.
    The app embeds OpenRouter: a person pastes the OpenRouter key on the app's
    settings media page and marks the image models to use there, and each
    marked model becomes one API callable with --api <id>. That is a person's
    job on the screen — an agent cannot configure it from a terminal.)";
// Pinned here rather than read from the client, so that both listings are
// checked byte for byte.
const std::string choice =
    "--tool <id> runs that local tool and nothing else; --api <id> calls that registered API directly, without trying any local tool first. Either way nothing follows what you named. Leave both out and the app walks the list above from the top until one delivers.";
const std::string closing = "\n\n" + choice + "\n";
const std::string own_tools = R"(image tools you can name with --tool:
  grok-imagine        Grok Imagine              tried 1st when you pass no --tool
  codex-image         Codex Image               tried 2nd when you pass no --tool
  antigravity-gemini  Antigravity Gemini Image  tried 3rd when you pass no --tool

This list came from this client, not from the app: run it inside a tarvolt terminal to also see the registered image APIs, their ids and whether one is configured.
)" + choice + "\n";

TEST(SourceListing, OutsideAPaneListsTheClientsOwnTools) {
    EXPECT_EQ(run_ctl({"image", "--list-tools"}), tvtest::printed(own_tools));
}

TEST(SourceListing, LaysOutWhatTheAppSaysOrEndsInOneSentence) {
    const std::string sources = R"({"ok":true,"sources":[
        {"kind":"tool","attemptPosition":1,"id":"grok-imagine","name":"Grok Imagine","installed":true,"authenticated":true,"detail":"logged in"},
        {"kind":"api","attemptPosition":300,"id":"or-x","name":"OpenRouter","model":""},
        {"kind":"tool","attemptPosition":2,"id":"codex-image","name":"Codex Image","installed":true,"authenticated":1},
        {"kind":"tool","attemptPosition":-1,"id":"caf\u00e9","name":7,"installed":true},
        {"kind":"api","attemptPosition":2.5,"id":"or-flux-long-id","name":"Flux \u2014 2","model":"black-forest-labs/flux"}]})";
    const std::string sections = R"(  local image tools — run in YOUR terminal; name one with --tool <id>
    1  grok-imagine  Grok Imagine  ready — logged in
    2  codex-image   Codex Image   NOT READY — {detail}
    0  café                        NOT READY — {detail}

  registered image APIs — called by the APP, so no token ever reaches you;
  name one with --api <id>
    255  or-x             OpenRouter  active — the API's own default model
    0  or-flux-long-id  Flux — 2    active — model black-forest-labs/flux
    An API model id reads author/slug: in "openai/sora-2-pro" the part before the slash is who made the MODEL, never a second service. The service is the API named beside it.)";
    const std::pair<std::string, tvtest::RunResult> cases[] = {
        {sources, tvtest::printed(header + tvtest::replaced(sections, "{detail}", "") + closing)},
        {R"({"ok":true,"sources":[]})", tvtest::printed(header + no_tools + "\n\n" + no_apis + closing)},
        {R"({"ok":true})", tvtest::refused("the tarvolt answered no image sources")},
        {R"({"ok":true,"sources":{}})", tvtest::refused("the tarvolt answered no image sources")},
        {R"({"ok":true,"sources":[{"kind":"tool"},{"kind":"Tool"}]})",
         tvtest::refused("the tarvolt listed an image source of a kind this client does not know")}};
    for (const auto& [reply, result] : cases) {
        tvtest::FakeApp app({tvtest::json_answer(reply)});
        EXPECT_EQ(run_ctl({"image", "--bogus", "--list-tools"}, tvtest::pane_env(app.port(), "pane \u00e9")), result)
            << reply;
        EXPECT_EQ(app.requests().at(0).body, "{\"command\":\"image\",\"from\":\"pane \u00e9\",\"phase\":\"sources\"}");
    }
    EXPECT_EQ(run_ctl({"image", "--list-tools"},
                      {"TARVOLT_CTL_PORT=70000", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"}),
              tvtest::refused("Port should be >= 0 and < 65536. Received type number (70000)."));
}

// Widths come from byte lengths; the padding counts characters.
TEST(SourceLines, AlignsOnTheLongestByteLength) {
    EXPECT_EQ(source_lines({{"id", "n", "s", 1}, {"\u00e9\u00e9", "\u00e9", "t", 255}}),
              "    1  id    n   s\n    255  \u00e9\u00e9    \u00e9   t");
}

}  // namespace
}  // namespace tv
