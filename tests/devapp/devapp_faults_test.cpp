// The stand-in under hostile input.
#include "devapp/devapp_process.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
#include <thread>

namespace {

using devapptest::Devapp;
using tv::Json;
namespace fs = std::filesystem;
using namespace std::string_literals;

// A folder beside the workstation holding one file the stand-in must never touch.
struct Outside {
    Outside() { std::ofstream(victim) << "untouched"; }

    tvtest::ScratchDir scratch{"devapp-outside"};
    std::string folder = scratch.path().string();
    std::string victim = folder + "/victim";
};

TEST(DevappFaults, MediaIsNeverWrittenThroughALink) {
    // A link at the part file's old, predictable name, in place of the file,
    // or in place of its folder.
    const std::string failed =
        R"({"ok":true,"status":"failed","detail":"the provider's result could not be saved: could not write {folder}/art/kite.png: {folder}/art is a symbolic link, which could lead outside the workstation folder","pending":"0/0"})";
    for (const std::string at : {"part", "file", "folder"}) {
        Devapp app({"--job-polls", "1"});
        Outside outside;
        const Json plan =
            app.ask("image", {{"phase", "plan"}, {"prompt", "a kite"}, {"api", "sim-image"}, {"out", "art/kite.png"}});
        const std::string planned = plan["outputPath"];
        if (at == "folder") {
            fs::remove_all(app.folder + "/art");
            fs::create_directory_symlink(outside.folder, app.folder + "/art");
        } else {
            const std::string part = at == "part" ? ".part-" + std::to_string(app.pid()) : "";
            fs::create_symlink(outside.victim, planned + part);
        }
        const Json job =
            app.ask("image", {{"phase", "api-start"}, {"api", "sim-image"}, {"prompt", "a kite"}, {"path", planned}});
        const Json poll = app.ask("image", {{"phase", "api-poll"}, {"jobId", job["jobId"]}});
        const std::string want = at == "folder" ? failed : R"({"ok":true,"status":"succeeded","pending":"0/0"})";
        EXPECT_EQ(app.normalized(tv::to_compact_text(poll)), want) << at;
        EXPECT_EQ(tvtest::read_file(outside.victim), "untouched") << at;
        EXPECT_EQ(std::distance(fs::directory_iterator(outside.folder), {}), 1) << at;
        if (at == "folder") continue;
        EXPECT_EQ(tvtest::read_file(planned).substr(0, 4), "\x89PNG") << at;
    }
}

TEST(DevappFaults, ArtifactsAndRecordsStayInsideTheFolder) {
    Devapp app;
    Outside outside;
    const std::string pane = app.ask("spawn", {{"task", "make things"}})["terminalName"];
    std::ofstream(app.folder + "/made.txt") << "12345";
    fs::create_symlink(app.folder + "/made.txt", app.folder + "/made-link");
    fs::create_symlink(outside.victim, app.folder + "/victim-link");
    fs::create_directory_symlink(outside.folder, app.folder + "/outside");
    for (const std::string& given : {"made.txt"s, app.folder + "/made.txt", "made-link"s})
        EXPECT_EQ(app.ask("artifact", {{"path", given}}, pane)["bytes"], 5) << given;
    for (const std::string& given : {"/etc/passwd"s, "../x"s, outside.victim, "victim-link"s, "outside/victim"s})
        EXPECT_EQ(app.ask("artifact", {{"path", given}}, pane)["error"],
                  "--path must name a file inside the workstation folder " + app.folder + "; \"" + given +
                      "\" leads outside it");
    // A planned media file that became a link out is not recorded either.
    const std::string planned =
        app.ask("image", {{"phase", "plan"}, {"prompt", "x"}, {"api", "sim-image"}})["outputPath"];
    fs::create_symlink(outside.victim, planned);
    EXPECT_EQ(
        app.ask("image", {{"phase", "record"}, {"path", planned}})["error"],
        "the file at " + planned + " leads outside the workstation folder " + app.folder + " through a symbolic link");
}

TEST(DevappFaults, BodiesAreReadOnlyWithTheTokenAndOnlyUpTo16MB) {
    Devapp app;
    const std::string chunk = "100000\r\n" + std::string(1 << 20, ' ') + "\r\n";
    // Small on the wire, 20 MB once inflated.
    const std::string bomb = tvtest::run({"/bin/sh", "-c", "head -c 20000000 /dev/zero | gzip -c"}).out;
    const std::string head = "POST /control HTTP/1.1\r\nhost: 127.0.0.1\r\ncontent-type: application/json\r\n";
    const std::string token = "x-tarvolt-token: " + app.token + "\r\n";
    const std::string missing =
        R"(HTTP/1.1 401 {"ok":false,"error":"missing x-tarvolt-token header: this endpoint answers only the panes of its own app"})";
    const std::string too_large = R"(HTTP/1.1 413 {"ok":false,"error":"the request body is too large"})";
    for (const std::string& auth : {""s, token})
        for (const std::string framing : {"transfer-encoding: chunked\r\n\r\n", "content-length: 1000000000\r\n\r\n"}) {
            std::size_t sent = 0;
            EXPECT_EQ(app.exchange(head + auth + framing, chunk, 256u << 20, &sent), auth.empty() ? missing : too_large)
                << framing;
            // Nothing past the limit was read, give or take what the sockets buffer.
            EXPECT_LT(sent, 48u << 20) << auth << framing;
        }
    const std::string gzipped = "content-encoding: gzip\r\ncontent-length: " + std::to_string(bomb.size()) + "\r\n\r\n";
    EXPECT_EQ(app.exchange(head + token + gzipped, bomb, bomb.size()), too_large);
    EXPECT_EQ(app.ask("status")["ok"], true);
}

TEST(DevappFaults, PanesWritingAtOnceKeepTheJournalWhole) {
    Devapp app;
    constexpr int panes = 4;
    constexpr int notes = 25;
    std::vector<std::thread> writers;
    for (int p = 0; p < panes; ++p) {
        const std::string name = app.ask("spawn", {{"task", "task " + std::to_string(p)}})["terminalName"];
        writers.emplace_back([&app, name] {
            for (int i = 0; i < notes; ++i) {
                app.ask("note", {{"text", name + " " + std::to_string(i)}}, name);
                app.ask("progress", {{"point", name + " at " + std::to_string(i)}}, name);
            }
        });
    }
    for (auto& w : writers) w.join();
    std::ifstream journal(app.folder + "/.tarvolt/journal.jsonl");
    std::set<std::string> texts;
    int lines = 0;
    for (std::string line; std::getline(journal, line); ++lines) {
        const Json entry = tvtest::parse_or_fail(line);
        if (entry.value("command", "") == "note") texts.insert(entry["text"].get<std::string>());
    }
    EXPECT_EQ(lines, panes + 2 * panes * notes);
    EXPECT_EQ(texts.size(), static_cast<std::size_t>(panes * notes));
    const Json panels = app.ask("status")["panels"];
    for (int p = 1; p <= panes; ++p)
        EXPECT_EQ(panels[p]["progressPoint"], panels[p]["name"].get<std::string>() + " at 24");
}

TEST(DevappFaultsSlow, SilentAndDrippingConnectionsDoNotKeepACallWaiting) {
    // Silent ones, more than are held, and ones dripping a header line.
    const std::pair<int, bool> cases[] = {{200, false}, {600, false}, {24, true}};
    for (const auto& [connections, drip] : cases) {
        Devapp app;
        std::vector<int> held;
        for (int i = 0; i < connections; ++i) held.push_back(app.connect_raw());
        std::atomic<bool> done{false};
        std::thread dripper([&, drip = drip] {
            for (int line = 0; drip && !done; ++line) {
                for (const int fd : held) {
                    const std::string text =
                        line == 0 ? "POST /control HTTP/1.1\r\n" : "x-line-" + std::to_string(line) + ": 1\r\n";
                    ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(app.ask("status")["ok"], true) << connections;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << connections;
        done = true;
        dripper.join();
        for (const int fd : held) ::close(fd);
    }
}

}  // namespace
