#include "http_client/http_response.h"
#include "http_client/control_client.h"
#include "http_client/reply.h"

#include <gtest/gtest.h>
#include <cerrno>

namespace tv {
namespace {

TEST(DecodeHttpResponse, FindsTheBody) {
    const std::pair<std::string, std::string> cases[] = {
        {"HTTP/1.1 200 OK\r\ncontent-length: 2\r\n", ""},
        {"HTTP/1.1 500 Internal Server Error\r\ncontent-length: 11\r\n\r\n{\"ok\":true}xx", "{\"ok\":true}"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n01234567890123456789", "01234"},
        {"HTTP/1.1 200 OK\r\ncontent-length:  +5 \r\n\r\n0123456789", "01234"},
        {"HTTP/1.1 200 OK\r\ncontent-length: 5x\r\n\r\n0123456789", "0123456789"},
        {"HTTP/1.1 200 OK\r\ncontent-length: \r\n\r\n0123", "0123"},
        {"HTTP/1.1 200 OK\r\ncontent-length: 99999999999999999999\r\n\r\n0123", "0123"},
        {"HTTP/1.1 200 OK\r\ncontent-length: 100\r\n\r\n0123", "0123"},
        {"HTTP/1.1 200 OK\r\ncontent-length: 2\r\ncontent-length: 3\r\n\r\n0123", "01"},
        {"HTTP/1.1 200 OK\r\nx-content-length: 2\r\n\r\n0123", "0123"},
        {"HTTP/1.1 200 OK\ncontent-length: 2\n\r\n\r\n0123", "01"},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n4;ext=1\r\nabcd\r\n0\r\n\r\n", "abcd"},
        {"HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n2\r\nab\r\n3\r\ncde\r\n0\r\n\r\n", "abcde"},
        {"HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n A \r\n0123456789\r\n0\r\n\r\n", "0123456789"},
        {"HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n10\r\nabc", "abc"},
        {"HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n2\r\nab\r\nzz\r\ncd\r\n", "ab"},
        {"HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\nffffffffffffffffff\r\nab", ""},
        {"HTTP/1.1 200 OK\r\ntransfer-encoding:chunked\r\ncontent-length: 3\r\n\r\n4\r\nabcd", "4\r\n"},
        {"HTTP/1.1 200 OK\r\nTRANSFER-\u212aNCODING: chunked\r\n\r\n1\r\na\r\n", "1\r\na\r\n"},
        {"HTTP/1.1 200 OK\r\n\xff\xfe\r\ncontent-length: 1\r\n\r\nab", "a"}};
    for (const auto& [response, body] : cases) EXPECT_EQ(decode_http_response(response), body) << response;
}

// Whatever the status line says, only an object whose `ok` is the JSON true
// is success, and only a string `error` is the app's word.
TEST(ReadReply, JudgesTheEnvelope) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"ok":true})", "accepted"},
        {R"({"ok":"true","error":"x"})", "refused: x"},
        {R"({"ok":1})", "refused: unknown tarvolt error"},
        {R"({"ok":false,"error":""})", "refused: "},
        {R"({"ok":false,"error":{"message":"x"}})", "refused: unknown tarvolt error"},
        {R"([])", "refused: unknown tarvolt error"},
        {"{\"ok\":false,\"error\":\"bad \xff\xfe byte\"}", "refused: bad \uFFFD\uFFFD byte"},
        {"", "invalid response from the tarvolt: EOF while parsing a value at line 1 column 0"}};
    for (const auto& [json, outcome] : cases) {
        const ControlReply r = read_reply("HTTP/1.1 500 OK\r\n\r\n" + json);
        const std::string got = !r.body                    ? r.error
                                : reply_succeeded(*r.body) ? "accepted"
                                                           : "refused: " + reply_error_text(*r.body);
        EXPECT_EQ(got, outcome) << json;
    }
}

// A refusal and a reset are pinned through the binary, a read timing out by the slow test.
TEST(TransportErrorText, NamesAConnectTimeoutToo) {
    for (const int e : {ETIMEDOUT, EAGAIN}) EXPECT_EQ(transport_error_text(e, 1), "timed out talking to the tarvolt");
}

}  // namespace
}  // namespace tv
