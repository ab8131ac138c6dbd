// Reading browser requests: limits, refusals and requests that arrive in pieces.
#include <gtest/gtest.h>

#include "preview/host/core/http_parser.h"

namespace tabulon::preview {
namespace {

using State = RequestParser::State;

RequestParser parsed(std::string_view bytes, RequestLimits limits = {}) {
    RequestParser parser(limits);
    parser.feed(bytes);
    return parser;
}

TEST(RequestParser, ReadsAPostThatArrivesByteByByte) {
    const std::string wire =
        "POST /manage/YH24_Add.asp?act=add HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: "
        "application/x-www-form-urlencoded\r\n"
        "Content-Length: 11\r\n\r\nS_1=a&S_2=b";
    RequestParser parser;
    for (std::size_t i = 0; i + 1 < wire.size(); ++i) ASSERT_EQ(parser.feed(wire.substr(i, 1)), State::NeedMore) << i;
    ASSERT_EQ(parser.feed(wire.substr(wire.size() - 1)), State::Complete);
    const auto& request = parser.request();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path(), "/manage/YH24_Add.asp");
    EXPECT_EQ(request.query(), "act=add");
    EXPECT_EQ(request.body, "S_1=a&S_2=b");
    EXPECT_EQ(request.header("content-type").value_or(""), "application/x-www-form-urlencoded");
    EXPECT_FALSE(request.header("Cookie"));
}

TEST(RequestParser, BareLineFeedsAndHttp10WithoutHost) {
    const auto parser = parsed("GET /a.htm#top HTTP/1.0\nUser-Agent: x\n\n");
    ASSERT_EQ(parser.state(), State::Complete);
    EXPECT_EQ(parser.request().path(), "/a.htm");
    EXPECT_EQ(parser.request().query(), "");
}

TEST(RequestParser, RefusesWhatItWillNotServe) {
    const struct {
        const char* wire;
        int status;
    } cases[] = {
        {"PUT /a.asp HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"DELETE /a.asp HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"GET http://evil/ HTTP/1.1\r\nHost: x\r\n\r\n", 400},
        {"GET a.asp HTTP/1.1\r\nHost: x\r\n\r\n", 400},
        {"GET /a.asp HTTP/2.0\r\nHost: x\r\n\r\n", 505},
        {"GET /a.asp FTP/1.0\r\nHost: x\r\n\r\n", 400},
        {"GET /a.asp\r\nHost: x\r\n\r\n", 400},
        {"GET /a.asp HTTP/1.1\r\n\r\n", 400},  // HTTP/1.1 needs Host
        {"GET /a.asp HTTP/1.1\r\nHost: x\r\n folded\r\n\r\n", 400},
        {"GET /a.asp HTTP/1.1\r\nHost: x\r\nno colon\r\n\r\n", 400},
        {"POST /a.asp HTTP/1.1\r\nHost: x\r\n\r\n", 411},
        {"POST /a.asp HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n", 501},
        {"POST /a.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\nab", 400},
        {"POST /a.asp HTTP/1.1\r\nHost: x\r\nContent-Length: -1\r\n\r\n", 400},
        {"POST /a.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999999999999999\r\n\r\n", 413},
        {"GET /a\x01.asp HTTP/1.1\r\nHost: x\r\n\r\n", 400},
    };
    for (const auto& c : cases) {
        const auto parser = parsed(c.wire);
        EXPECT_EQ(parser.state(), State::Refused) << c.wire;
        EXPECT_EQ(parser.refusal(), c.status) << c.wire;
        EXPECT_FALSE(parser.refusalReason().empty());
    }
}

TEST(RequestParser, HeaderAndBodyLimits) {
    RequestLimits limits;
    limits.maxHeaderBytes = 200;
    limits.maxBodyBytes = 10;
    const std::string longCookie = "GET / HTTP/1.1\r\nHost: x\r\nCookie: " + std::string(300, 'c');
    // Refused as soon as the head outgrows the limit, before its end arrives.
    EXPECT_EQ(parsed(longCookie, limits).refusal(), 431);
    EXPECT_EQ(parsed(longCookie + "\r\n\r\n", limits).refusal(), 431);
    EXPECT_EQ(parsed("POST /a.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 11\r\n\r\n", limits).refusal(), 413);
    const auto atLimit = parsed("POST /a.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 10\r\n\r\n0123456789", limits);
    EXPECT_EQ(atLimit.state(), State::Complete);
    EXPECT_EQ(atLimit.request().body, "0123456789");
}

TEST(RequestParser, BytesPastTheBodyAreNotPartOfIt) {
    const auto parser = parsed("POST /a.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabcGET / HTTP/1.1\r\n");
    ASSERT_EQ(parser.state(), State::Complete);
    EXPECT_EQ(parser.request().body, "abc");
}

}  // namespace
}  // namespace tabulon::preview
