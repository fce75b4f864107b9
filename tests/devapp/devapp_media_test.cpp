// Image and video through the stand-in's endpoint, posted as the client posts
// them, for what the demo's default session does not show.
#include "devapp/devapp_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using devapptest::Devapp;
using tv::Json;

// A plan's command line run as the client runs it, through `sh -c`.
tvtest::RunResult sh(const std::string& command_line) { return tvtest::run({"/bin/sh", "-c", command_line}); }

TEST(DevappImage, ToolGetsThePromptVerbatimAndDrawsWhatItSays) {
    Devapp app;
    // The drawing tool's command line for these words, and what it drew.
    const auto drawn = [&](const std::string& words, const std::string& out) {
        const Json p = app.ask("image", {{"phase", "plan"}, {"prompt", words}, {"tool", "grok-imagine"}, {"out", out}});
        const std::string line = p["attempts"][0]["commandLine"];
        EXPECT_EQ(sh(line).status, 0);
        return std::pair{line, tvtest::read_file(p["outputPath"])};
    };
    const std::string marker = app.folder + "/pwned";
    const std::string prompt =
        "it's a \"kite\" $(touch " + marker + ") `touch " + marker + "` ; touch " + marker + "\n'";
    const auto [line, bytes] = drawn(prompt, "kite.png");
    EXPECT_FALSE(std::filesystem::exists(marker));
    // The prompt arrives as one argument, unchanged: echo it instead of drawing.
    const std::string quoted =
        line.substr(line.find("--prompt ") + 9, line.find(" --out ") - line.find("--prompt ") - 9);
    EXPECT_EQ(sh("printf '%s' " + quoted).out, prompt);
    // The same prompt draws the same bytes, another prompt other ones, even
    // without a colour or scene word in it.
    EXPECT_EQ(drawn(prompt, "again.png").second, bytes);
    EXPECT_NE(drawn("a house on a hill", "other.png").second, bytes);
}

TEST(DevappImage, PlansNameTheSourcesAskedForAndRefuseWrongNames) {
    Devapp app;
    std::filesystem::create_symlink("/tmp", app.folder + "/outside");
    // The attempts' tool or API ids, then the model of the first; or the refusal.
    const auto plan = [&](Json members) {
        members.update({{"phase", "plan"}, {"prompt", "a kite"}});
        const Json reply = app.ask("image", members);
        if (!reply["ok"].get<bool>()) return "refused: " + reply["error"].get<std::string>();
        std::string sources;
        for (const auto& a : reply["attempts"]) sources += a.value("imageCliId", a.value("apiId", "?")) + " ";
        return sources + reply["attempts"][0].value("model", "?");
    };
    const std::string outside = "refused: --out must stay inside the workstation folder " + app.folder + "; \"";
    const std::pair<Json, std::string> cases[] = {
        {Json::object(), "grok-imagine codex-image sim-image grok-2-image"},
        {{{"tool", "codex-image"}}, "codex-image gpt-image-1"},
        {{{"api", "sim-image"}, {"model", "devapp/painter-2"}}, "sim-image devapp/painter-2"},
        {{{"model", "devapp/painter-2"}}, "sim-image devapp/painter-2"},
        {{{"tool", "antigravity-gemini"}},
         "refused: the image tool antigravity-gemini cannot draw here: not installed on this machine; install it and log in, or name another source (\"tarvolt-ctl image --list-tools\")"},
        {{{"tool", "grok-imagine"}, {"api", "sim-image"}}, "refused: name one source, --tool or --api, not both"},
        {{{"api", "dall"}},
         "refused: no registered image API has the id \"dall\"; \"tarvolt-ctl image --list-tools\" lists them"},
        {{{"tool", "grok-imagine"}, {"model", "gpt-image-1"}},
         "refused: grok-imagine draws with grok-2-image only, not \"gpt-image-1\""},
        {{{"model", "m"}},
         "refused: no image source here draws with the model \"m\"; \"tarvolt-ctl image --list-tools\" shows the sources"},
        {{{"out", "x.jpg"}}, "refused: --out must name a .png file, the kind this source writes: \"x.jpg\""},
    };
    for (const auto& [members, result] : cases) EXPECT_EQ(plan(members), result) << members.dump();
    for (const std::string out : {"../x.png", "/etc/x.png", "outside/x.png", ".tarvolt/x.png"})
        EXPECT_EQ(plan({{"out", out}}), outside + out + "\" leads outside it");
}

TEST(DevappImage, ApiJobWritesOnlyAPlannedPathAfterItsPolls) {
    Devapp app({"--job-polls", "3"});
    const std::string path = app.folder + "/art/kite.png";
    app.replies(R"~(
{"command":"image","from":"orchestrator","phase":"plan","prompt":"a blue kite","api":"sim-image","out":"art/kite.png"} => {"ok":true,"attempts":[{"kind":"api","timeoutMs":300000,"apiId":"sim-image","apiName":"Simulated Image API","model":"devapp/painter-1"}],"outputPath":"{folder}/art/kite.png","registeredApiCount":1,"pending":"0/0"}
{"command":"image","from":"orchestrator","phase":"api-start","api":"sim-image","prompt":"a blue kite","path":"{folder}/../stolen.png"} => {"ok":false,"error":"the app did not plan the path \"{folder}/../stolen.png\"; ask for a plan first and pass its outputPath"}
{"command":"image","from":"orchestrator","phase":"api-start","api":"sim-image","prompt":"a blue kite","path":"{folder}/art/kite.png"} => {"ok":true,"jobId":"img-1","pending":"0/0"}
{"command":"image","from":"orchestrator","phase":"api-poll","jobId":"img-1"} => {"ok":true,"status":"running","progress":"rendering, 1 of 3 steps done","pending":"0/0"}
{"command":"image","from":"orchestrator","phase":"api-poll","jobId":"img-1"} => {"ok":true,"status":"running","progress":"rendering, 2 of 3 steps done","pending":"0/0"}
)~");
    EXPECT_FALSE(std::filesystem::exists(path));
    app.replies(R"~(
{"command":"image","from":"orchestrator","phase":"api-poll","jobId":"img-1"} => {"ok":true,"status":"succeeded","pending":"0/0"}
{"command":"image","from":"orchestrator","phase":"api-poll","jobId":"img-9"} => {"ok":false,"error":"no image job \"img-9\" was started by this app"}
{"command":"image","from":"orchestrator","phase":"record","path":"/etc/passwd"} => {"ok":false,"error":"the app did not plan the path \"/etc/passwd\""}
)~");
    EXPECT_EQ(app.ask("image", {{"phase", "record"}, {"path", path}})["bytes"], std::filesystem::file_size(path));
}

TEST(DevappImage, FailingAndStalledSourcesShowTheirRoads) {
    Devapp app({"--fail", "grok-imagine", "--stall", "codex-image", "--stall", "sim-image", "--fail", "sim-video"});
    const Json plan = app.ask("image", {{"phase", "plan"}, {"prompt", "a kite"}, {"out", "kite.png"}});
    EXPECT_EQ(
        tvtest::replaced(app.normalized(tv::to_compact_text(plan)), TARVOLT_DEVAPP_PATH, "{devapp}"),
        R"({"ok":true,"attempts":[{"kind":"command","timeoutMs":120000,"imageCliId":"grok-imagine","toolName":"Grok Imagine","model":"grok-2-image","commandLine":"'{devapp}' draw --tool grok-imagine --model 'grok-2-image' --prompt 'a kite' --out '{folder}/kite.png' --fail 'Grok Imagine is out of quota until tomorrow (the stand-in was told to fail it, with --fail grok-imagine)'"},{"kind":"command","timeoutMs":2000,"imageCliId":"codex-image","toolName":"Codex Image","model":"gpt-image-1","commandLine":"'{devapp}' draw --tool codex-image --model 'gpt-image-1' --prompt 'a kite' --out '{folder}/kite.png' --stall"},{"kind":"api","timeoutMs":0,"apiId":"sim-image","apiName":"Simulated Image API","model":"devapp/painter-1"}],"outputPath":"{folder}/kite.png","registeredApiCount":1,"pending":"0/0"})");
    const std::string quota =
        "Grok Imagine is out of quota until tomorrow (the stand-in was told to fail it, with --fail grok-imagine)\n";
    EXPECT_EQ(sh(plan["attempts"][0]["commandLine"]), (tvtest::RunResult{3, "", quota}));
    EXPECT_FALSE(std::filesystem::exists(app.folder + "/kite.png"));
    app.replies(R"~(
{"command":"image","from":"orchestrator","phase":"api-start","api":"sim-image","prompt":"a kite","path":"{folder}/kite.png"} => {"ok":true,"jobId":"img-1","pending":"0/0"}
{"command":"image","from":"orchestrator","phase":"api-poll","jobId":"img-1"} => {"ok":true,"status":"running","progress":"queued at the provider, not started yet","pending":"0/0"}
{"command":"image","from":"orchestrator","phase":"api-poll","jobId":"img-1"} => {"ok":true,"status":"running","progress":"queued at the provider, not started yet","pending":"0/0"}
{"command":"video","from":"orchestrator","phase":"plan","prompt":"a kite","api":"sim-video","out":"kite.y4m"} => {"ok":true,"attempts":[{"kind":"api","apiId":"sim-video","apiName":"Simulated Video API","model":"devapp/reel-1","timeoutMs":300000,"pollIntervalMs":1000}],"outputPath":"{folder}/kite.y4m","registeredApiCount":2,"pending":"0/0"}
{"command":"video","from":"orchestrator","phase":"api-start","api":"sim-video","prompt":"a kite","path":"{folder}/kite.y4m"} => {"ok":true,"jobId":"vid-2","pending":"0/0"}
{"command":"video","from":"orchestrator","phase":"api-poll","jobId":"vid-2"} => {"ok":true,"status":"failed","detail":"the provider declined this prompt (the stand-in was told to, with --fail sim-video)","pending":"0/0"}
{"command":"image","from":"orchestrator","phase":"failure","api":"sim-image","detail":"refused the request; …"} => {"ok":true,"pending":"0/0"}
{"command":"image","from":"orchestrator","phase":"failure","detail":"x"} => {"ok":false,"error":"a failure report names the source that failed, with \"tool\" or \"api\""}
)~");
}

TEST(DevappVideo, NamedApiJobCountsOnlyPollsAtItsCadence) {
    Devapp app({"--poll-ms", "200"});
    app.replies(R"~(
{"command":"video","from":"orchestrator","phase":"plan","prompt":"waves","api":"sim-video-hd","out":"clips/waves.y4m"} => {"ok":true,"attempts":[{"kind":"api","apiId":"sim-video-hd","apiName":"Simulated Video API HD","model":"devapp/reel-hd","timeoutMs":300000,"pollIntervalMs":200}],"outputPath":"{folder}/clips/waves.y4m","registeredApiCount":2,"pending":"0/0"}
{"command":"video","from":"orchestrator","phase":"api-start","api":"sim-video-hd","prompt":"waves","path":"{folder}/clips/waves.y4m"} => {"ok":true,"jobId":"vid-1","pending":"0/0"}
# Polls closer together than the cadence do not move the job.
{"command":"video","from":"orchestrator","phase":"api-poll","jobId":"vid-1"} => {"ok":true,"status":"running","progress":"rendering, 0 of 2 steps done","pending":"0/0"}
)~");
    std::this_thread::sleep_for(std::chrono::milliseconds(220));
    app.replies(R"~(
{"command":"video","from":"orchestrator","phase":"api-poll","jobId":"vid-1"} => {"ok":true,"status":"running","progress":"rendering, 1 of 2 steps done","pending":"0/0"}
{"command":"video","from":"orchestrator","phase":"api-poll","jobId":"vid-1"} => {"ok":true,"status":"running","progress":"rendering, 1 of 2 steps done","pending":"0/0"}
)~");
    std::this_thread::sleep_for(std::chrono::milliseconds(220));
    app.replies(R"~(
{"command":"video","from":"orchestrator","phase":"api-poll","jobId":"vid-1"} => {"ok":true,"status":"succeeded","pending":"0/0"}
# A poll of one kind cannot reach a job of the other.
{"command":"image","from":"orchestrator","phase":"api-poll","jobId":"vid-1"} => {"ok":false,"error":"no image job \"vid-1\" was started by this app"}
{"command":"video","from":"orchestrator","phase":"api-poll","jobId":"img-1"} => {"ok":false,"error":"no video job \"img-1\" was started by this app"}
{"command":"video","from":"orchestrator","phase":"plan","prompt":"x","api":"sora"} => {"ok":false,"error":"no registered video API has the id \"sora\""}
)~");
    EXPECT_EQ(tvtest::read_file(app.folder + "/clips/waves.y4m").substr(0, 23), "YUV4MPEG2 W320 H180 F12");
}

TEST(DevappVideo, AppWithoutVideoApisRefusesToPlan) {
    EXPECT_EQ(
        tv::to_compact_text(Devapp({"--no-video-apis"}).ask("video", {{"phase", "plan"}, {"prompt", "x"}})),
        R"({"ok":false,"error":"no video API is registered and active in this app: a person registers one on the settings page. Video has no local tool to fall back to"})");
}

}  // namespace
