// The stand-in under hostile input: links planted where it writes, paths
// that leave its folder, bodies without end or without a token, crowds of
// silent or dripping connections, and panes changing the ledger at once.
#include "devapp/devapp_process.h"
#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

namespace {

using devapptest::Devapp;
using tv::Json;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using tvtest::read_file;

// A folder beside the workstation holding one file the stand-in must never touch.
struct Outside {
    Outside() { std::ofstream(victim) << "untouched"; }
    std::size_t entries() const { return std::distance(fs::directory_iterator(folder), {}); }

    tvtest::ScratchDir scratch{"devapp-outside"};
    std::string folder = scratch.path().string();
    std::string victim = folder + "/victim";
};

TEST(DevappFaults, MediaIsNeverWrittenThroughALink) {
    using Plant = std::function<void(const Devapp&, const std::string& planned, const Outside&)>;
    const struct {
        const char* what;
        Plant plant;
        std::string status;
    } cases[] = {
        {"a link at the part file's old, predictable name",
         [](const Devapp& app, const std::string& planned, const Outside& out) {
             fs::create_symlink(out.victim, planned + ".part-" + std::to_string(app.pid()));
         },
         "succeeded"},
        {"a link in place of the file itself",
         [](const Devapp&, const std::string& planned, const Outside& out) { fs::create_symlink(out.victim, planned); },
         "succeeded"},
        {"its folder swapped for a link out of the workstation",
         [](const Devapp&, const std::string& planned, const Outside& out) {
             const fs::path dir = fs::path(planned).parent_path();
             fs::remove_all(dir);
             fs::create_directory_symlink(out.folder, dir);
         },
         "failed"},
    };
    for (const auto& c : cases) {
        Devapp app({"--job-polls", "1"});
        Outside outside;
        const Json plan =
            app.ask("image", {{"phase", "plan"}, {"prompt", "a kite"}, {"api", "sim-image"}, {"out", "art/kite.png"}});
        const std::string planned = plan["outputPath"];
        c.plant(app, planned, outside);
        const Json job =
            app.ask("image", {{"phase", "api-start"}, {"api", "sim-image"}, {"prompt", "a kite"}, {"path", planned}});
        const Json poll = app.ask("image", {{"phase", "api-poll"}, {"jobId", job["jobId"]}});
        EXPECT_EQ(poll["status"], c.status) << c.what << ": " << poll.dump();
        EXPECT_EQ(read_file(outside.victim), "untouched") << c.what;
        EXPECT_EQ(outside.entries(), 1u) << c.what;
        if (c.status == "succeeded") {
            EXPECT_FALSE(fs::is_symlink(planned)) << c.what;
            EXPECT_EQ(read_file(planned).substr(0, 4), "\x89PNG") << c.what;
        } else {
            EXPECT_EQ(poll["detail"], "the provider's result could not be saved: could not write " + planned + ": " +
                                          app.folder +
                                          "/art is a symbolic link, which could lead outside the workstation folder");
        }
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
    const std::string refused = "--path must name a file inside the workstation folder " + app.folder + "; \"";
    const struct {
        std::string given;
        std::string error;  // empty: accepted as the 5 bytes of made.txt
    } cases[] = {
        {"made.txt", ""},
        {app.folder + "/made.txt", ""},
        {"made-link", ""},
        {"/etc/passwd", refused + "/etc/passwd\" leads outside it"},
        {"../x", refused + "../x\" leads outside it"},
        {outside.victim, refused + outside.victim + "\" leads outside it"},
        {"victim-link", refused + "victim-link\" leads outside it"},
        {"outside/victim", refused + "outside/victim\" leads outside it"},
    };
    for (const auto& c : cases) {
        const Json reply = app.ask("artifact", {{"path", c.given}}, pane);
        if (c.error.empty()) {
            EXPECT_EQ(reply["bytes"], 5) << c.given << ": " << reply.dump();
        } else {
            EXPECT_EQ(reply["error"], c.error) << c.given;
        }
    }
    // A planned media file that became a link out is not recorded either.
    const std::string planned =
        app.ask("image", {{"phase", "plan"}, {"prompt", "x"}, {"api", "sim-image"}})["outputPath"];
    fs::create_symlink(outside.victim, planned);
    EXPECT_EQ(
        app.ask("image", {{"phase", "record"}, {"path", planned}})["error"],
        "the file at " + planned + " leads outside the workstation folder " + app.folder + " through a symbolic link");
}

// Sends the head, then the piece again and again (at most `limit` bytes of
// it) until the app answers; returns the answer and how much went out.
std::pair<std::string, std::size_t> stream_until_answered(const Devapp& app, const std::string& head,
                                                          const std::string& piece, std::size_t limit) {
    const int fd = app.connect_raw();
    ::send(fd, head.data(), head.size(), MSG_NOSIGNAL);
    std::size_t sent = 0;
    std::size_t at = 0;
    std::string answer;
    for (;;) {
        pollfd p{fd, static_cast<short>(POLLIN | (sent < limit ? POLLOUT : 0)), 0};
        if (::poll(&p, 1, 10000) <= 0) break;
        if ((p.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buf[4096];
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            answer.append(buf, static_cast<std::size_t>(n));
            limit = 0;
            continue;
        }
        const ssize_t n = ::send(fd, piece.data() + at, piece.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) continue;
        sent += static_cast<std::size_t>(n);
        at = (at + static_cast<std::size_t>(n)) % piece.size();
    }
    ::close(fd);
    return {answer, sent};
}

TEST(DevappFaults, BodiesAreReadOnlyWithTheTokenAndOnlyUpTo16MB) {
    Devapp app;
    const std::string chunk = "100000\r\n" + std::string(1 << 20, ' ') + "\r\n";
    std::string bomb;  // small on the wire, 20 MB once inflated
    if (std::FILE* p = ::popen("head -c 20000000 /dev/zero | gzip -c", "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) bomb.append(buf, n);
        ::pclose(p);
    }
    ASSERT_FALSE(bomb.empty());
    const std::string head = "POST /control HTTP/1.1\r\nhost: 127.0.0.1\r\ncontent-type: application/json\r\n";
    const std::string token = "x-tarvolt-token: " + app.token + "\r\n";
    const std::string missing =
        R"({"ok":false,"error":"missing x-tarvolt-token header: this endpoint answers only the panes of its own app"})";
    const std::string too_large = R"({"ok":false,"error":"the request body is too large"})";
    const struct {
        const char* what;
        std::string head;
        std::string piece;
        std::size_t limit;
        std::string answer;
    } cases[] = {
        {"endless chunks without a token", head + "transfer-encoding: chunked\r\n\r\n", chunk, 256u << 20, missing},
        {"a gigabyte announced without a token", head + "content-length: 1000000000\r\n\r\n", chunk, 256u << 20,
         missing},
        {"endless chunks with the token", head + token + "transfer-encoding: chunked\r\n\r\n", chunk, 256u << 20,
         too_large},
        {"a gigabyte announced with the token", head + token + "content-length: 1000000000\r\n\r\n", chunk, 256u << 20,
         too_large},
        {"a compressed body inflating past the limit",
         head + token + "content-encoding: gzip\r\ncontent-length: " + std::to_string(bomb.size()) + "\r\n\r\n", bomb,
         bomb.size(), too_large},
    };
    for (const auto& c : cases) {
        const auto [answer, sent] = stream_until_answered(app, c.head, c.piece, c.limit);
        EXPECT_NE(answer.find("\r\n\r\n" + c.answer), std::string::npos) << c.what << ": " << answer.substr(0, 200);
        // Nothing past the limit was read, give or take what the sockets buffer.
        EXPECT_LT(sent, 48u << 20) << c.what;
    }
    EXPECT_EQ(app.ctl({"status"}).status, 0);
}

TEST(DevappFaults, PanesWritingAtOnceKeepTheJournalWhole) {
    Devapp app;
    constexpr int panes = 4;
    constexpr int notes = 25;
    std::vector<std::string> names;
    for (int i = 0; i < panes; ++i)
        names.push_back(app.ask("spawn", {{"task", "task " + std::to_string(i)}})["terminalName"]);
    std::vector<std::thread> writers;
    std::vector<std::string> failures(panes);
    for (int p = 0; p < panes; ++p) {
        writers.emplace_back([&app, &failures, p, name = names[p]] {
            try {
                for (int i = 0; i < notes; ++i) {
                    app.ask("note", {{"text", name + " " + std::to_string(i)}}, name);
                    app.ask("progress", {{"point", name + " at " + std::to_string(i)}}, name);
                }
            } catch (const std::exception& e) {
                failures[p] = e.what();
            }
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(failures, std::vector<std::string>(panes));
    std::ifstream journal(app.folder + "/.tarvolt/journal.jsonl");
    std::set<std::string> texts;
    int lines = 0;
    for (std::string line; std::getline(journal, line); ++lines) {
        const auto entry = tv::parse_json(line);
        ASSERT_TRUE(entry.value) << line;
        if ((*entry.value)["command"] == "note") texts.insert((*entry.value)["text"].get<std::string>());
    }
    EXPECT_EQ(lines, panes + 2 * panes * notes);
    EXPECT_EQ(texts.size(), static_cast<std::size_t>(panes * notes));
    const auto status = app.ask("status");
    for (const auto& panel : status["panels"]) {
        if (panel["role"] == "subagent") {
            EXPECT_EQ(panel["progressPoint"], panel["name"].get<std::string>() + " at 24");
        }
    }
}

// Connections that send nothing, or a header line now and then, must not
// keep the client's call waiting.
TEST(DevappFaultsSlow, SilentAndDrippingConnectionsDoNotKeepACallWaiting) {
    const struct {
        const char* what;
        int connections;
        bool drip;
    } cases[] = {
        {"200 silent", 200, false},
        {"600 silent, more than are held", 600, false},
        {"24 dripping a header line", 24, true},
    };
    for (const auto& c : cases) {
        Devapp app;
        std::vector<int> held;
        for (int i = 0; i < c.connections; ++i) held.push_back(app.connect_raw());
        std::atomic<bool> done{false};
        std::thread dripper([&] {
            for (int line = 0; c.drip && !done; ++line) {
                for (const int fd : held) {
                    const std::string text =
                        line == 0 ? "POST /control HTTP/1.1\r\n" : "x-line-" + std::to_string(line) + ": 1\r\n";
                    ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        const auto start = Clock::now();
        const auto status = app.ctl({"status"});
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        EXPECT_EQ(status.status, 0) << c.what << ": " << status.err;
        EXPECT_LT(took.count(), 1000) << c.what;
        done = true;
        dripper.join();
        for (const int fd : held) ::close(fd);
    }
}

}  // namespace
