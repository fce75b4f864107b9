// Image and video through the stand-in's endpoint, posted directly as the
// client's image and video commands post them: the plans' shapes, the local
// drawing tool run through `sh -c`, API jobs polled until they write their
// file, and the switches that make sources fail.
#include "devapp/devapp_process.h"
#include "devapp/media_checks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using devapptest::Devapp;
using devapptest::file_bytes;
using devapptest::png_shape;
using devapptest::y4m_shape;
using tv::Json;

Json image(const Devapp& app, Json members, const std::string& from = "orchestrator") {
    Json body = {{"command", "image"}, {"from", from}};
    for (const auto& [k, v] : members.items()) body[k] = v;
    return app.post(body);
}

Json video(const Devapp& app, Json members) {
    Json body = {{"command", "video"}, {"from", "orchestrator"}};
    for (const auto& [k, v] : members.items()) body[k] = v;
    return app.post(body);
}

// Runs a plan's command line as the client does, through `sh -c`; returns
// the exit status and what the tool wrote on stderr.
std::pair<int, std::string> run_tool(const std::string& folder, const std::string& command_line) {
    const std::string err = folder + "/.tool-stderr";
    const int raw = std::system((command_line + " >/dev/null 2>" + err).c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, file_bytes(err)};
}

TEST(DevappImage, SourcesListedThroughTheClient) {
    Devapp app;
    const auto r = app.ctl({"image", "--list-tools"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("    1  grok-imagine        Grok Imagine              ready — logged in"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    0  antigravity-gemini  Antigravity Gemini Image  NOT READY — not installed on this machine"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    3  sim-image  Simulated Image API  active — model devapp/painter-1"), std::string::npos) << r.out;
}

TEST(DevappImage, DefaultPlanRunsTheDrawingToolIntoARealPng) {
    Devapp app;
    const Json plan = image(app, {{"phase", "plan"}, {"prompt", "a red kite over the sea"}});
    ASSERT_TRUE(plan["ok"].get<bool>()) << plan.dump();
    const Json& attempts = plan["attempts"];
    ASSERT_EQ(attempts.size(), 3u);
    EXPECT_EQ(attempts[0]["kind"], "command");
    EXPECT_EQ(attempts[0]["imageCliId"], "grok-imagine");
    EXPECT_EQ(attempts[0]["timeoutMs"], 120000);
    EXPECT_EQ(attempts[1]["imageCliId"], "codex-image");
    EXPECT_EQ(attempts[2], Json::parse(R"({"kind":"api","timeoutMs":300000,"apiId":"sim-image",
        "apiName":"Simulated Image API","model":"devapp/painter-1"})"));
    EXPECT_EQ(plan["registeredApiCount"], 1);
    const std::string path = plan["outputPath"];
    EXPECT_EQ(path.rfind(app.folder + "/generated-images/orchestrator-", 0), 0u) << path;
    EXPECT_EQ(path.substr(path.size() - 4), ".png");

    const auto [status, err] = run_tool(app.folder, attempts[0]["commandLine"]);
    ASSERT_EQ(status, 0) << err;
    const std::string first = file_bytes(path);
    const auto shape = png_shape(first);
    EXPECT_EQ(shape.problem, "");
    EXPECT_EQ(shape.width, 512);
    EXPECT_EQ(shape.height, 320);

    // The picture follows the prompt: the same prompt draws the same bytes,
    // another prompt other ones.
    const Json again = image(app, {{"phase", "plan"}, {"prompt", "a red kite over the sea"}, {"out", "again.png"}});
    const Json other = image(app, {{"phase", "plan"}, {"prompt", "green hills at night"}, {"out", "other.png"}});
    EXPECT_NE(again["outputPath"], plan["outputPath"]);
    ASSERT_EQ(run_tool(app.folder, again["attempts"][0]["commandLine"]).first, 0);
    ASSERT_EQ(run_tool(app.folder, other["attempts"][0]["commandLine"]).first, 0);
    EXPECT_EQ(file_bytes(again["outputPath"]), first);
    EXPECT_NE(file_bytes(other["outputPath"]), first);
    EXPECT_EQ(png_shape(file_bytes(other["outputPath"])).problem, "");
}

TEST(DevappImage, PromptReachesTheToolVerbatimAndNeverTheShell) {
    Devapp app;
    const std::string marker = app.folder + "/pwned";
    const std::string prompt = "it's a \"kite\" $(touch " + marker + ") `touch " + marker + "` ; touch " + marker + "\n'";
    const Json plan = image(app, {{"phase", "plan"}, {"prompt", prompt}, {"tool", "grok-imagine"}});
    ASSERT_TRUE(plan["ok"].get<bool>()) << plan.dump();
    const std::string line = plan["attempts"][0]["commandLine"];
    ASSERT_EQ(run_tool(app.folder, line).first, 0);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_EQ(png_shape(file_bytes(plan["outputPath"])).problem, "");
    // The prompt arrives as one argument, unchanged: echo it instead of drawing.
    const std::string exe = std::string("'") + TARVOLT_DEVAPP_PATH + "' draw";
    ASSERT_EQ(line.rfind(exe, 0), 0u) << line;
    const std::string echoed = app.folder + "/echoed";
    std::system(("printf '%s' " + line.substr(line.find("--prompt ") + 9, line.find(" --out ") - line.find("--prompt ") - 9) +
                 " >" + echoed).c_str());
    EXPECT_EQ(file_bytes(echoed), prompt);
}

TEST(DevappImage, NamedSourcesGiveOneAttemptAndWrongNamesAreRefused) {
    Devapp app;
    std::filesystem::create_symlink("/tmp", app.folder + "/outside");
    const struct {
        Json members;
        std::string attempt_source;  // imageCliId or apiId of the one attempt; empty: refused
        std::string model_or_error;
    } cases[] = {
        {{{"tool", "codex-image"}}, "codex-image", "gpt-image-1"},
        {{{"api", "sim-image"}, {"model", "devapp/painter-2"}}, "sim-image", "devapp/painter-2"},
        {{{"model", "devapp/painter-2"}}, "sim-image", "devapp/painter-2"},
        {{{"tool", "antigravity-gemini"}}, "", "the image tool antigravity-gemini cannot draw here: not installed on this machine; install it and log in, or name another source (\"tarvolt-ctl image --list-tools\")"},
        {{{"tool", "grok-imagine"}, {"api", "sim-image"}}, "", "name one source, --tool or --api, not both"},
        {{{"api", "dall"}}, "", "no registered image API has the id \"dall\"; \"tarvolt-ctl image --list-tools\" lists them"},
        {{{"tool", "grok-imagine"}, {"model", "gpt-image-1"}}, "", "grok-imagine draws with grok-2-image only, not \"gpt-image-1\""},
        {{{"model", "m"}}, "", "no image source here draws with the model \"m\"; \"tarvolt-ctl image --list-tools\" shows the sources"},
        {{{"out", "../x.png"}}, "", "--out must stay inside the workstation folder " + app.folder + "; \"../x.png\" leads outside it"},
        {{{"out", "/etc/x.png"}}, "", "--out must stay inside the workstation folder " + app.folder + "; \"/etc/x.png\" leads outside it"},
        {{{"out", "outside/x.png"}}, "", "--out must stay inside the workstation folder " + app.folder + "; \"outside/x.png\" leads outside it"},
        {{{"out", ".tarvolt/x.png"}}, "", "--out must stay inside the workstation folder " + app.folder + "; \".tarvolt/x.png\" leads outside it"},
        {{{"out", "x.jpg"}}, "", "--out must name a .png file, the kind this source writes: \"x.jpg\""},
    };
    for (const auto& c : cases) {
        Json members = {{"phase", "plan"}, {"prompt", "a kite"}};
        for (const auto& [k, v] : c.members.items()) members[k] = v;
        const Json reply = image(app, members);
        if (c.attempt_source.empty()) {
            EXPECT_EQ(reply, Json({{"ok", false}, {"error", c.model_or_error}})) << c.members.dump();
            continue;
        }
        ASSERT_EQ(reply["attempts"].size(), 1u) << reply.dump();
        const Json& a = reply["attempts"][0];
        EXPECT_EQ(a.contains("imageCliId") ? a["imageCliId"] : a["apiId"], c.attempt_source) << c.members.dump();
        EXPECT_EQ(a["model"], c.model_or_error) << c.members.dump();
    }
    EXPECT_FALSE(std::filesystem::exists("/tmp/x.png"));
}

TEST(DevappImage, ApiJobWritesOnlyAPlannedPathAfterItsPolls) {
    Devapp app({"--job-polls", "3"});
    const Json plan = image(app, {{"phase", "plan"}, {"prompt", "a blue kite"}, {"api", "sim-image"}, {"out", "art/kite.png"}});
    const std::string path = plan["outputPath"];
    EXPECT_EQ(path, app.folder + "/art/kite.png");
    const auto start = [](const std::string& to) {
        return Json{{"phase", "api-start"}, {"api", "sim-image"}, {"prompt", "a blue kite"}, {"path", to}};
    };
    EXPECT_EQ(image(app, start(app.folder + "/../stolen.png"))["error"],
              "the app did not plan the path \"" + app.folder + "/../stolen.png\"; ask for a plan first and pass its outputPath");
    const Json job = image(app, start(path));
    ASSERT_EQ(job["jobId"], "img-1") << job.dump();
    const Json poll = {{"phase", "api-poll"}, {"jobId", "img-1"}};
    EXPECT_EQ(image(app, poll)["status"], "running");
    EXPECT_EQ(image(app, poll)["progress"], "rendering, 2 of 3 steps done");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(image(app, poll)["status"], "succeeded");
    EXPECT_EQ(image(app, poll)["status"], "succeeded");
    EXPECT_EQ(png_shape(file_bytes(path)).problem, "");
    const Json recorded = image(app, {{"phase", "record"}, {"path", path}});
    EXPECT_EQ(recorded["bytes"], std::filesystem::file_size(path));
    EXPECT_EQ(image(app, {{"phase", "api-poll"}, {"jobId", "img-9"}})["error"], "no image job \"img-9\" was started by this app");
    EXPECT_EQ(image(app, {{"phase", "record"}, {"path", "/etc/passwd"}})["error"], "the app did not plan the path \"/etc/passwd\"");
}

TEST(DevappImage, FailingAndStalledSourcesShowTheirRoads) {
    Devapp app({"--fail", "grok-imagine", "--stall", "codex-image", "--fail", "sim-image"});
    const Json plan = image(app, {{"phase", "plan"}, {"prompt", "a kite"}});
    const Json& attempts = plan["attempts"];
    ASSERT_EQ(attempts.size(), 3u) << plan.dump();
    const auto [status, err] = run_tool(app.folder, attempts[0]["commandLine"]);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(err, "Grok Imagine is out of quota until tomorrow (the stand-in was told to fail it, with --fail grok-imagine)\n");
    EXPECT_FALSE(std::filesystem::exists(plan["outputPath"].get<std::string>()));
    EXPECT_EQ(attempts[1]["timeoutMs"], 2000);
    EXPECT_NE(attempts[1]["commandLine"].get<std::string>().find(" --stall"), std::string::npos);

    const Json job = image(app, {{"phase", "api-start"}, {"api", "sim-image"}, {"prompt", "a kite"}, {"path", plan["outputPath"]}});
    EXPECT_EQ(image(app, {{"phase", "api-poll"}, {"jobId", job["jobId"]}}),
              Json::parse(R"j({"ok":true,"status":"failed","detail":"the provider declined this prompt (the stand-in was told to, with --fail sim-image)",
                  "pending":{"unreadReports":0,"runningTasks":0,"degraded":false}})j"));
    EXPECT_EQ(image(app, {{"phase", "failure"}, {"api", "sim-image"}, {"detail", "refused the request; …"}})["ok"], true);
    EXPECT_EQ(image(app, {{"phase", "failure"}, {"detail", "x"}})["error"],
              "a failure report names the source that failed, with \"tool\" or \"api\"");

    Devapp stalled({"--stall", "sim-image", "--job-polls", "1"});
    const Json api_plan = image(stalled, {{"phase", "plan"}, {"prompt", "a kite"}, {"api", "sim-image"}});
    EXPECT_EQ(api_plan["attempts"][0]["timeoutMs"], 0);
    image(stalled, {{"phase", "api-start"}, {"api", "sim-image"}, {"prompt", "a kite"}, {"path", api_plan["outputPath"]}});
    for (int i = 0; i < 3; ++i) {
        const Json polled = image(stalled, {{"phase", "api-poll"}, {"jobId", "img-1"}});
        EXPECT_EQ(polled["status"], "running");
        EXPECT_EQ(polled["progress"], "queued at the provider, not started yet");
    }
}

TEST(DevappVideo, JobFollowsThePollingCadenceAndWritesAPlayableY4m) {
    Devapp app({"--poll-ms", "200"});
    const Json plan = video(app, {{"phase", "plan"}, {"prompt", "a red kite over the sea"}});
    ASSERT_EQ(plan["attempts"].size(), 2u) << plan.dump();
    EXPECT_EQ(plan["attempts"][0], Json::parse(R"({"kind":"api","apiId":"sim-video","apiName":"Simulated Video API",
        "model":"devapp/reel-1","timeoutMs":300000,"pollIntervalMs":200})"));
    EXPECT_EQ(plan["registeredApiCount"], 2);
    const std::string path = plan["outputPath"];
    EXPECT_EQ(path.rfind(app.folder + "/generated-videos/orchestrator-", 0), 0u) << path;
    EXPECT_EQ(path.substr(path.size() - 4), ".y4m");

    const Json job = video(app, {{"phase", "api-start"}, {"api", "sim-video"}, {"prompt", "a red kite over the sea"}, {"path", path}});
    const Json poll = {{"phase", "api-poll"}, {"jobId", job["jobId"]}};
    // Polls closer together than the cadence do not move the job.
    EXPECT_EQ(video(app, poll)["progress"], "rendering, 0 of 2 steps done");
    std::this_thread::sleep_for(std::chrono::milliseconds(220));
    EXPECT_EQ(video(app, poll)["progress"], "rendering, 1 of 2 steps done");
    EXPECT_EQ(video(app, poll)["progress"], "rendering, 1 of 2 steps done");
    std::this_thread::sleep_for(std::chrono::milliseconds(220));
    EXPECT_EQ(video(app, poll)["status"], "succeeded");
    const auto shape = y4m_shape(file_bytes(path));
    EXPECT_EQ(shape.problem, "");
    EXPECT_EQ(shape.width, 192);
    EXPECT_EQ(shape.height, 108);
    EXPECT_EQ(shape.frames, 24);
    EXPECT_EQ(video(app, {{"phase", "record"}, {"path", path}})["ok"], true);
    // An image poll cannot reach a video job.
    EXPECT_EQ(image(app, poll)["error"], "no image job \"vid-1\" was started by this app");
}

TEST(DevappVideo, NamedApiAndAppWithoutVideoApis) {
    Devapp app({"--poll-ms", "1", "--job-polls", "1"});
    const Json plan = video(app, {{"phase", "plan"}, {"prompt", "waves"}, {"api", "sim-video-hd"}, {"out", "clips/waves.y4m"}});
    ASSERT_EQ(plan["attempts"].size(), 1u);
    EXPECT_EQ(plan["outputPath"], app.folder + "/clips/waves.y4m");
    video(app, {{"phase", "api-start"}, {"api", "sim-video-hd"}, {"prompt", "waves"}, {"path", plan["outputPath"]}});
    EXPECT_EQ(video(app, {{"phase", "api-poll"}, {"jobId", "vid-1"}})["status"], "succeeded");
    const auto shape = y4m_shape(file_bytes(plan["outputPath"]));
    EXPECT_EQ(shape.problem, "");
    EXPECT_EQ(shape.width, 320);
    EXPECT_EQ(video(app, {{"phase", "plan"}, {"prompt", "x"}, {"api", "sora"}})["error"], "no registered video API has the id \"sora\"");
    EXPECT_EQ(video(app, {{"phase", "plan"}, {"prompt", "x"}, {"out", "x.mp4"}})["error"],
              "--out must name a .y4m file, the kind this source writes: \"x.mp4\"");

    Devapp bare({"--no-video-apis"});
    EXPECT_EQ(video(bare, {{"phase", "plan"}, {"prompt", "x"}})["error"],
              "no video API is registered and active in this app: a person registers one on the settings page. Video "
              "has no local tool to fall back to");
}

}  // namespace
