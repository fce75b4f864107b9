// The wire, byte for byte, and every way an app can answer badly.
#include "support/fake_app.h"
#include "support/run_ctl.h"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using tvtest::Answer;
using tvtest::FakeApp;
using tvtest::json_answer;
using tvtest::pane_env;
using tvtest::run_ctl;

Answer raw(std::string bytes) { return Answer{std::move(bytes)}; }

TEST(ControlRequest, SendsExactBytes) {
    FakeApp app({json_answer(R"({"ok":false,"error":"x"})")});
    const auto r = run_ctl({"spawn", "--task", "fix \"the\" build\n", "--cli", "codex", "--skills", "a, b"},
                           pane_env(app.port(), "orchestrator", "tok\u00e9n"));
    ASSERT_EQ(app.requests().size(), 1u);
    const std::string body =
        "{\"command\":\"spawn\",\"from\":\"orchestrator\",\"task\":\"fix \\\"the\\\" build\\n\",\"skillIds\":[\"a\",\"b\"],"
        "\"mcpIds\":[],\"cli\":\"codex\"}";
    EXPECT_EQ(app.requests()[0].raw, "POST /control HTTP/1.1\r\nhost: 127.0.0.1:" + std::to_string(app.port()) +
                                         "\r\nconnection: close\r\ncontent-type: application/json\r\ncontent-length: " +
                                         std::to_string(body.size()) + "\r\nx-tarvolt-token: tok\u00e9n\r\n\r\n" + body);
    EXPECT_EQ(r.err, "tarvolt-ctl: x\n");
}

TEST(ControlRequest, RefusalsAndBadRepliesEndWithOneSentence) {
    const std::string deep(1000000, '[');
    const struct {
        Answer answer;
        std::string err;
    } cases[] = {
        {json_answer(R"({"ok":false,"error":"x"})", 500), "x"},
        {json_answer(R"({"ok":"true","error":"x"})"), "x"},
        {json_answer(R"({"ok":1})"), "unknown tarvolt error"},
        {json_answer(R"({"ok":false})"), "unknown tarvolt error"},
        {json_answer(R"({"ok":false,"error":""})"), ""},
        {json_answer(R"({"ok":false,"error":{"message":"x"}})"), "unknown tarvolt error"},
        {json_answer(R"([])"), "unknown tarvolt error"},
        {json_answer("{\"ok\":false,\"error\":\"bad \xff\xfe byte\"}"), "bad \uFFFD\uFFFD byte"},
        {json_answer(R"({"ok":false,"error":"a","error":"b"})"), "b"},
        {raw("HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n6\r\n{\"ok\":\r\n12\r\nfalse,\"error\":\"c\"}\r\n0\r\n\r\n"), "c"},
        {raw("HTTP/1.1 200 OK\r\n\r\n{\"ok\":false,\"error\":\"to the end\"}"), "to the end"},
        {raw("HTTP/1.1 200 OK"), "invalid response from the tarvolt: EOF while parsing a value at line 1 column 0"},
        {raw("HTTP/1.1 200 OK\r\ncontent-length: 100\r\n\r\n{\"ok\":fa"),
         "invalid response from the tarvolt: EOF while parsing a value at line 1 column 8"},
        {json_answer(R"({"ok":true} x)"), "invalid response from the tarvolt: trailing characters at line 1 column 13"},
        {json_answer(R"({"ok":false,"n":1e400})"), "invalid response from the tarvolt: number out of range at line 1 column 21"},
        {json_answer(std::string("{\"ok\":false}\0{}", 14)), "invalid response from the tarvolt: trailing characters at line 1 column 13"},
        {json_answer(deep), "invalid response from the tarvolt: recursion limit exceeded at line 1 column 129"},
    };
    for (const auto& c : cases) {
        FakeApp app({c.answer});
        const auto r = run_ctl({"request", "--summary", "s"}, pane_env(app.port()));
        EXPECT_EQ(r.status, 1) << c.err;
        EXPECT_EQ(r.out, "") << c.err;
        EXPECT_EQ(r.err, "tarvolt-ctl: " + c.err + "\n");
    }
}

TEST(ControlRequest, HugeReplyIsReadWhole) {
    std::string reply = "{\"ok\":false,\"pad\":\"" + std::string(200 * 1024 * 1024, 'p') + "\",\"error\":\"big\"}";
    FakeApp app({json_answer(reply)});
    reply.clear();
    reply.shrink_to_fit();
    const auto r = run_ctl({"list"}, pane_env(app.port()));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tarvolt-ctl: big\n");
}

std::uint16_t closed_port() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

TEST(ControlRequest, StoppedAppIsRefusedConnection) {
    const std::uint16_t port = closed_port();
    const std::string p = std::to_string(port);
    const auto r = run_ctl({"list"}, {"TARVOLT_CTL_PORT= " + p + ".0 ", "TARVOLT_CTL_TOKEN=t", "TARVOLT_TERMINAL_NAME=n"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tarvolt-ctl: could not talk to the tarvolt on port " + p + ": connect ECONNREFUSED 127.0.0.1:" + p + "\n");
}

TEST(ControlRequest, SilentAppTimesOutAfterTenSeconds) {
    FakeApp app({Answer{"", std::chrono::milliseconds(0), true}});
    const auto start = std::chrono::steady_clock::now();
    const auto r = run_ctl({"list"}, pane_env(app.port()));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.err, "tarvolt-ctl: could not talk to the tarvolt on port " + std::to_string(app.port()) +
                         ": timed out talking to the tarvolt\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_GE(took, std::chrono::milliseconds(9900));
    EXPECT_LT(took, std::chrono::seconds(30));
}

}  // namespace
