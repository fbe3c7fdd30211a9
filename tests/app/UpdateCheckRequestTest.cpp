// The HTTP side of the update check against a local recording server: the exact requests, the
// cookie hand-over, no redirections, 2xx only, bounded bodies and time limits.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "app/CheckForNewVersionProcess.h"
#include "app/LocalHttpServer.h"
#include "app/UpdateRequest.h"

namespace tessoly {
namespace {

using test::LocalHttpServer;
using test::ParseRequest;
using test::Reply;
using test::ScriptedAnswer;

UpdateServer Local(const LocalHttpServer& server) {
    return UpdateServer{"127.0.0.1", server.port()};
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(UpdateRequest, SendsExactlyTheFormPostOverHttp10) {
    LocalHttpServer server;
    server.Script(kTutorialRequestPath, Reply(200, "abc"));
    server.Script(kVersionRequestPath, Reply(200, "1.1"));
    UpdateClient client(Local(server));
    EXPECT_EQ(client.PostProductId(kTutorialRequestPath), std::optional<std::string>("abc"));
    EXPECT_EQ(client.PostProductId(kVersionRequestPath), std::optional<std::string>("1.1"));

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string host = "Host: 127.0.0.1:" + std::to_string(server.port());
    const std::vector<std::string> expectedHeaders = Sorted({
        host,
        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)",
        "Accept: text/html, */*",
        "Content-Type: application/x-www-form-urlencoded",
        "Content-Length: 13",
    });
    const char* paths[] = {kTutorialRequestPath, kVersionRequestPath};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(requests[i]);
        const test::ParsedRequest parsed = ParseRequest(requests[i]);
        EXPECT_EQ(parsed.requestLine, std::string("POST ") + paths[i] + " HTTP/1.0");
        EXPECT_EQ(Sorted(parsed.headers), expectedHeaders);
        EXPECT_EQ(parsed.body, "product_id=19");
        EXPECT_NE(requests[i].find("\r\n\r\nproduct_id=19"), std::string::npos);
    }
}

TEST(UpdateRequest, CookiesOfTheFirstAnswerGoWithTheSecondRequest) {
    LocalHttpServer server;
    server.Script(kTutorialRequestPath, Reply(200, "false",
                                              "Set-Cookie: session=a1b2; path=/\r\n"
                                              "Set-Cookie: seen=yes\r\n"));
    server.Script(kVersionRequestPath, Reply(200, "1.0"));
    UpdateClient client(Local(server));
    ASSERT_TRUE(client.PostProductId(kTutorialRequestPath));
    ASSERT_TRUE(client.PostProductId(kVersionRequestPath));

    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos) << requests[0];
    const test::ParsedRequest second = ParseRequest(requests[1]);
    const auto cookie = std::find_if(second.headers.begin(), second.headers.end(),
                                     [](const std::string& line) { return line.rfind("Cookie: ", 0) == 0; });
    ASSERT_NE(cookie, second.headers.end()) << requests[1];
    EXPECT_NE(cookie->find("session=a1b2"), std::string::npos) << *cookie;
    EXPECT_NE(cookie->find("seen=yes"), std::string::npos) << *cookie;
}

TEST(UpdateRequest, CookiesAreNotSharedBetweenClients) {
    LocalHttpServer server;
    server.Script(kTutorialRequestPath, Reply(200, "x", "Set-Cookie: session=a1b2\r\n"));
    server.Script(kVersionRequestPath, Reply(200, "1.0"));
    UpdateClient(Local(server)).PostProductId(kTutorialRequestPath);
    UpdateClient(Local(server)).PostProductId(kVersionRequestPath);
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].find("Cookie:"), std::string::npos) << requests[1];
}

TEST(UpdateRequest, RedirectionIsNotFollowedAndFails) {
    LocalHttpServer server;
    const std::string elsewhere = "http://127.0.0.1:" + std::to_string(server.port()) + "/elsewhere";
    server.Script(kVersionRequestPath, Reply(302, "2.0", "Location: " + elsewhere + "\r\n"));
    server.Script("/elsewhere", Reply(200, "2.0"));
    UpdateClient client(Local(server));
    EXPECT_EQ(client.PostProductId(kVersionRequestPath), std::nullopt);
    EXPECT_EQ(server.Requests().size(), 1u);
}

struct StatusCase {
    int status;
    std::string body;
    std::optional<std::string> expected;
};

class UpdateRequestStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(UpdateRequestStatusTest, OnlySuccessAnswersCount) {
    LocalHttpServer server;
    server.Script(kVersionRequestPath, Reply(GetParam().status, GetParam().body));
    UpdateClient client(Local(server));
    EXPECT_EQ(client.PostProductId(kVersionRequestPath), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Statuses, UpdateRequestStatusTest,
                         ::testing::Values(StatusCase{200, "2.0", "2.0"}, StatusCase{200, "", ""},
                                           StatusCase{204, "", ""}, StatusCase{200, " 1.10\r\n", " 1.10\r\n"},
                                           StatusCase{299, "x", "x"}, StatusCase{404, "2.0", std::nullopt},
                                           StatusCase{500, "2.0", std::nullopt},
                                           StatusCase{199, "2.0", std::nullopt},
                                           StatusCase{300, "2.0", std::nullopt}));

TEST(UpdateRequest, BodyIsTakenWholeUpToTheCap) {
    LocalHttpServer server;
    UpdateRequestLimits limits;
    limits.maxBodyBytes = 100;
    const std::string atCap(100, 'a');
    server.Script("/exact", Reply(200, atCap));
    server.Script("/over", Reply(200, atCap + "b"));
    // No Content-Length: the body runs to the end of the connection.
    server.Script("/unsized",
                  ScriptedAnswer{ScriptedAnswer::Kind::Reply, "HTTP/1.0 200 OK\r\n\r\n" + atCap + "b", 0});
    server.Script("/unsized-ok",
                  ScriptedAnswer{ScriptedAnswer::Kind::Reply, "HTTP/1.0 200 OK\r\n\r\n1.5", 0});
    UpdateClient client(Local(server), limits);
    EXPECT_EQ(client.PostProductId("/exact"), std::optional<std::string>(atCap));
    EXPECT_EQ(client.PostProductId("/over"), std::nullopt);
    EXPECT_EQ(client.PostProductId("/unsized"), std::nullopt);
    EXPECT_EQ(client.PostProductId("/unsized-ok"), std::optional<std::string>("1.5"));
}

TEST(UpdateRequest, EndlessAnswerIsCutOffEarly) {
    LocalHttpServer server;
    constexpr std::size_t kOffered = 512u * 1024 * 1024;
    server.Script(kVersionRequestPath,
                  ScriptedAnswer{ScriptedAnswer::Kind::Stream, "HTTP/1.0 200 OK\r\n\r\n", kOffered});
    UpdateClient client(Local(server));
    EXPECT_EQ(client.PostProductId(kVersionRequestPath), std::nullopt);
    // The client hung up long before the server ran out of filler; socket buffers hold a few MiB.
    EXPECT_LT(server.StreamedBytes(), 64u * 1024 * 1024);
}

TEST(UpdateRequest, GarbledAndTruncatedAnswersFail) {
    LocalHttpServer server;
    server.Script("/garbage", ScriptedAnswer{ScriptedAnswer::Kind::Reply,
                                             std::string("\x01\xff garbage\0\r\n\r\n", 15), 0});
    server.Script("/closed", ScriptedAnswer{ScriptedAnswer::Kind::CloseAtOnce, "", 0});
    server.Script("/short", ScriptedAnswer{ScriptedAnswer::Kind::Reply,
                                           "HTTP/1.0 200 OK\r\nContent-Length: 50\r\n\r\n1.5", 0});
    server.Script("/badstatus", ScriptedAnswer{ScriptedAnswer::Kind::Reply, "HTTP/1.0 abc\r\n\r\n2.0", 0});
    UpdateClient client(Local(server));
    for (const char* path : {"/garbage", "/closed", "/short", "/badstatus"})
        EXPECT_EQ(client.PostProductId(path), std::nullopt) << path;
    EXPECT_EQ(server.Requests().size(), 4u);
}

TEST(UpdateRequest, SilentServerIsGivenUpAfterTheTimeLimit) {
    LocalHttpServer server;
    server.Script(kTutorialRequestPath, ScriptedAnswer{ScriptedAnswer::Kind::Hang, "", 0});
    server.Script(kVersionRequestPath, Reply(200, "1.5"));
    UpdateRequestLimits limits;
    limits.timeLimit = std::chrono::milliseconds(300);
    UpdateClient client(Local(server), limits);
    EXPECT_EQ(client.PostProductId(kTutorialRequestPath), std::nullopt);
    // The client is still good for the next request.
    EXPECT_EQ(client.PostProductId(kVersionRequestPath), std::optional<std::string>("1.5"));
}

TEST(UpdateRequest, StopRequestEndsAWaitingRequest) {
    LocalHttpServer server;
    server.Script(kTutorialRequestPath, ScriptedAnswer{ScriptedAnswer::Kind::Hang, "", 0});
    std::atomic<bool> abort{false};
    UpdateClient client(Local(server), {}, &abort); // the 20 s default limit
    std::thread stopper([&abort] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        abort = true;
    });
    EXPECT_EQ(client.PostProductId(kTutorialRequestPath), std::nullopt);
    stopper.join();
    EXPECT_EQ(client.PostProductId(kVersionRequestPath), std::nullopt);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(UpdateRequest, NoServerFails) {
    UpdateClient client(UpdateServer{"127.0.0.1", test::UnusedLocalPort()});
    EXPECT_EQ(client.PostProductId(kTutorialRequestPath), std::nullopt);
    EXPECT_EQ(client.PostProductId(kVersionRequestPath), std::nullopt);
}

TEST(UpdateRequest, EmptyHostFails) {
    UpdateClient client(UpdateServer{"", 80});
    EXPECT_EQ(client.PostProductId(kVersionRequestPath), std::nullopt);
}

TEST(DefaultUpdateServer, IsTheMakersDomainOnPort80UnlessOverridden) {
    ::unsetenv("TESSOLY_UPDATE_SERVER");
    UpdateServer server = DefaultUpdateServer("example.org");
    EXPECT_EQ(server.host, "example.org");
    EXPECT_EQ(server.port, 80);

    ::setenv("TESSOLY_UPDATE_SERVER", "127.0.0.1:8123", 1);
    server = DefaultUpdateServer("example.org");
    EXPECT_EQ(server.host, "127.0.0.1");
    EXPECT_EQ(server.port, 8123);

    ::setenv("TESSOLY_UPDATE_SERVER", "127.0.0.1:notaport", 1);
    EXPECT_EQ(DefaultUpdateServer("example.org").port, 80);
    ::unsetenv("TESSOLY_UPDATE_SERVER");
}

} // namespace
} // namespace tessoly
