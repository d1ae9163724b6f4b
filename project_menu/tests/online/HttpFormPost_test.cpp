// The background form post against the local web service: the multipart
// bytes, the outcomes a screen sees, and the life of a post its screen lets
// go of while it is still running. Also run under ThreadSanitizer.
#include "online/AddressReply.h"
#include "online/HttpFormPost.h"

#include "WebService.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

namespace {

const char* const BLOCK_OPEN = "\r\n-----------------------------7d33992b80330\r\nContent-Disposition: form-data; name=\"";

// Polls like a screen, once a millisecond, until the post reports an outcome.
int outcome(HttpFormPost* post) {
    for (int i = 0; i < 20000; ++i) {
        int status = post->poll();
        if (status == HttpFormPost::FAILED || status == HttpFormPost::DONE) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return -1;
}

// A post that tells when it is freed.
struct WatchedPost : HttpFormPost {
    WatchedPost(const UString& server, const UString& path, std::promise<void>* freed)
        : HttpFormPost(server, path), freed(freed) {}
    ~WatchedPost() override { freed->set_value(); }
    std::promise<void>* freed;
};

class HttpFormPostTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("http_proxy"); }
    void TearDown() override { unsetenv("http_proxy"); }
};

TEST_F(HttpFormPostTest, MultipartBytes) {
    WebService service;
    HttpFormPost* post = new HttpFormPost(service.hostPort().c_str(), "/corvana2/crashreport.php");
    const std::string data("log\0\r\n--x", 9);
    post->addField("gameName", "", "Corvana2demo", 12);
    post->addField("crashLog", "crash.Corvana2demo.log", data.data(), int(data.size()));
    post->addField("empty", "", "", 0);
    const std::string fields = std::string(BLOCK_OPEN) + "gameName\"\r\n\r\nCorvana2demo" + BLOCK_OPEN +
                               "crashLog\"; filename=\"crash.Corvana2demo.log\"\r\n"
                               "Content-Type: application/octet-stream\r\n\r\n" +
                               data + BLOCK_OPEN + "empty\"\r\n\r\n";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(post->body), size_t(post->bodyLength)), fields);
    EXPECT_EQ(post->poll(), HttpFormPost::IDLE);

    post->send();
    const std::string body = fields + "\r\n-----------------------------7d33992b80330--\r\n";
    ASSERT_EQ(outcome(post), HttpFormPost::DONE) << post->message;
    EXPECT_EQ(post->poll(), HttpFormPost::IDLE);
    EXPECT_EQ(service.request(1), "POST /corvana2/crashreport.php HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Length: " +
                                      std::to_string(body.size()) +
                                      "\r\nContent-Type: multipart/form-data; "
                                      "boundary=---------------------------7d33992b80330\r\n"
                                      "User-Agent: hget/1.2\r\nPragma: no-cache\r\nAccept: */*\r\n\r\n" +
                                      body);
    EXPECT_EQ(service.fields(1), "gameName\t\t12\ncrashLog\tcrash.Corvana2demo.log\t9\nempty\t\t0\n");
    EXPECT_EQ(service.field(1, 1), data);
    EXPECT_EQ(post->reply, "ok\r\ngameName: 12 bytes\r\ncrashLog: crash.Corvana2demo.log, 9 bytes\r\nempty: 0 bytes\r\n");
    ASSERT_EQ(post->replyLines.size(), 4u);
    EXPECT_EQ(post->replyLines[0], "ok");
    EXPECT_EQ(post->replyLines[2], "crashLog: crash.Corvana2demo.log, 9 bytes");
    EXPECT_EQ(post->replyLines[3], "empty: 0 bytes");
    EXPECT_EQ(post->message, "");
    HttpFormPost::release(post);
    EXPECT_EQ(post, nullptr);
}

TEST_F(HttpFormPostTest, Outcomes) {
    WebService service;
    {
        // No fields: a GET; the reply split into its lines.
        HttpFormPost* post = new HttpFormPost(service.hostPort().c_str(), "/test/lines");
        post->send();
        ASSERT_EQ(outcome(post), HttpFormPost::DONE);
        EXPECT_EQ(service.request(1), "GET /test/lines HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: hget/1.2\r\n"
                                      "Pragma: no-cache\r\nAccept: */*\r\n\r\n");
        ASSERT_EQ(post->replyLines.size(), 4u);
        EXPECT_EQ(post->replyLines[0], "ok");
        EXPECT_EQ(post->replyLines[1], "line two");
        EXPECT_EQ(post->replyLines[2], "");
        EXPECT_EQ(post->replyLines[3], "last");
        HttpFormPost::release(post);
    }
    {
        HttpFormPost* post = new HttpFormPost(service.hostPort().c_str(), "/test/empty");
        post->addField("a", "", "b", 1);
        post->send();
        ASSERT_EQ(outcome(post), HttpFormPost::DONE);
        EXPECT_EQ(post->reply, "");
        EXPECT_TRUE(post->replyLines.empty());
        HttpFormPost::release(post);
    }
    {
        HttpFormPost* post = new HttpFormPost(service.hostPort().c_str(), "/missing.php");
        post->addField("a", "", "b", 1);
        post->send();
        ASSERT_EQ(outcome(post), HttpFormPost::FAILED);
        EXPECT_EQ(post->message, "Failed with HTTP status code 404 (Not Found\r)");
        EXPECT_EQ(post->poll(), HttpFormPost::IDLE);
        EXPECT_EQ(post->message, "Failed with HTTP status code 404 (Not Found\r)");
        HttpFormPost::release(post);
    }
    {
        const int port = closedLocalPort();
        HttpFormPost* post = new HttpFormPost(UString::format("127.0.0.1:%d", port), "/corvana2/nettest.php");
        post->send();
        ASSERT_EQ(outcome(post), HttpFormPost::FAILED);
        EXPECT_EQ(post->message, "Request failed (error 111:Connection refused)");
        HttpFormPost::release(post);
    }
    {
        WebService noBlank("noblank");
        HttpFormPost* post = new HttpFormPost(noBlank.hostPort().c_str(), "/x");
        post->send();
        ASSERT_EQ(outcome(post), HttpFormPost::FAILED);
        EXPECT_EQ(post->message, "Failed with HTTP status code  ()");
        HttpFormPost::release(post);
    }
    {
        WebService silent("silence");
        HttpFormPost* post = new HttpFormPost(silent.hostPort().c_str(), "/x");
        post->idleTimeoutMs = 200;
        post->send();
        ASSERT_EQ(outcome(post), HttpFormPost::FAILED);
        EXPECT_EQ(post->message, "Request failed (error 110:Connection timed out)");
        HttpFormPost::release(post);
    }
}

TEST_F(HttpFormPostTest, ThroughProxy) {
    WebService service;
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    HttpFormPost* post = new HttpFormPost("www.zemtrovia.com", "/corvana2/nettest.php");
    post->addField("gameName", "", "Corvana2demo", 12);
    post->addField("gameVersion", "", "2.60", 4);
    post->send();
    ASSERT_EQ(outcome(post), HttpFormPost::DONE) << post->message;
    EXPECT_EQ(service.request(1).rfind("POST http://www.zemtrovia.com/corvana2/nettest.php HTTP/1.0\r\n"
                                       "Host: 127.0.0.1\r\nContent-Length: 261\r\n",
                                       0),
              0u)
        << service.request(1);
    ASSERT_EQ(post->replyLines.size(), 1u);
    EXPECT_EQ(post->replyLines[0].substr(0, 10), "127.0.0.1:");
    HttpFormPost::release(post);
}

TEST_F(HttpFormPostTest, ReleaseWhileBusy) {
    WebService silent("silence");
    std::promise<void> freed;
    std::future<void> gone = freed.get_future();
    HttpFormPost* post = new WatchedPost(silent.hostPort().c_str(), "/x", &freed);
    post->idleTimeoutMs = 300;
    post->send();
    EXPECT_EQ(post->poll(), HttpFormPost::BUSY);
    HttpFormPost::release(post);
    EXPECT_EQ(post, nullptr);
    // Still alive while the request hangs; the worker frees it when it ends.
    EXPECT_EQ(gone.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    EXPECT_EQ(gone.wait_for(std::chrono::seconds(10)), std::future_status::ready);

    // A finished post is freed by its screen's release at once.
    WebService service;
    std::promise<void> freed2;
    std::future<void> gone2 = freed2.get_future();
    post = new WatchedPost(service.hostPort().c_str(), "/test/empty", &freed2);
    post->send();
    ASSERT_EQ(outcome(post), HttpFormPost::DONE);
    HttpFormPost::release(post);
    // The worker may still be letting go of its hold just after the status.
    EXPECT_EQ(gone2.wait_for(std::chrono::seconds(10)), std::future_status::ready);

    // Never sent: freed at once.
    std::promise<void> freed3;
    std::future<void> gone3 = freed3.get_future();
    post = new WatchedPost("127.0.0.1:1", "/x", &freed3);
    HttpFormPost::release(post);
    EXPECT_EQ(gone3.wait_for(std::chrono::seconds(0)), std::future_status::ready);
}

TEST_F(HttpFormPostTest, QuitWhileBusyIsClean) {
    // The child re-runs the test from the start, so the parent's threads do
    // not matter; its silent server is a listening socket that never accepts
    // (the connection waits in the backlog), which goes away with the child.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address = {};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t size = sizeof address;
            if (bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener, 4) != 0 ||
                getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
                exit(2);
            HttpFormPost* post = new HttpFormPost(UString::format("127.0.0.1:%d", ntohs(address.sin_port)), "/x");
            post->addField("a", "", "b", 1);
            post->send();
            HttpFormPost::release(post);
            // Let the worker block in its wait for the reply.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(HttpFormPostLines, Splitting) {
    auto lines = HttpFormPost::splitLines("a\r\nb\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "b");
    lines = HttpFormPost::splitLines("\n\r\nx\r");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "x\r");
    EXPECT_TRUE(HttpFormPost::splitLines("").empty());
}

}  // namespace

namespace {

TEST(ConnectionTestReply, AddressCheck) {
    uint32_t ip = 0;
    uint16_t port = 0;
    ASSERT_TRUE(parseAddressReply("127.0.0.1:23006", &ip, &port));
    EXPECT_EQ(ip, 0x7F000001u);
    EXPECT_EQ(port, 23006);
    ASSERT_TRUE(parseAddressReply("255.255.255.255:65535", &ip, &port));
    EXPECT_EQ(ip, 0xFFFFFFFFu);
    EXPECT_EQ(port, 65535);
    for (const char* bad : {"999.1.1.1:99999", "1.1.1.256:80", "1.1.1.1:65536", "1.1.1.1:0", "1.1.1:80", "1.1.1.1",
                            "1.1.1.1:80\r", " 1.1.1.1:80", "1.1.1.1:80x", "1.1.1.0001:80", "a.b.c.d:e", "", "ok"}) {
        ip = 1;
        port = 1;
        EXPECT_FALSE(parseAddressReply(bad, &ip, &port)) << bad;
        EXPECT_EQ(ip, 1u) << bad;
        EXPECT_EQ(port, 1) << bad;
    }
    EXPECT_FALSE(parseAddressReply(nullptr, &ip, &port));
}

}  // namespace
