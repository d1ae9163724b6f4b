// The HTTP client against the local web service: the exact request bytes,
// direct and through http_proxy; URL and reply cases; file:// addresses; and
// the hostile service (silence, slow drip, endless, short, noise, a reset
// during an upload).
#include "online/HttpFileUrl.h"
#include "online/HttpRequest.h"

#include "TempFolder.h"
#include "WebService.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const TAIL = "User-Agent: hget/1.2\r\nPragma: no-cache\r\nAccept: */*\r\n\r\n";

std::string bodyOf(const HttpResult& r) {
    return r.body ? std::string(r.body, size_t(r.bodyLength)) : std::string("<null>");
}

// Runs a request and frees the result, keeping its texts.
struct Reply {
    Reply(const std::string& url, HttpRequestOptions* options, int method, int flags) {
        HttpResult r = httpRequest(url.c_str(), options, method, flags);
        body = bodyOf(r);
        bodyIsNull = r.body == nullptr;
        headers = r.headers ? r.headers : "<null>";
        errorNumber = r.errorNumber;
        errorText = r.errorText ? r.errorText : "<null>";
        statusCode = r.statusCode;
        statusText = r.statusText;
        freeHttpResult(r);
    }
    std::string body, headers, errorText, statusCode, statusText;
    bool bodyIsNull;
    int errorNumber;
};

// A reply as received, split by the client.
HttpResult split(const std::string& bytes, int method, int flags = 0) {
    char* buffer = static_cast<char*>(malloc(bytes.size() + 1));
    memcpy(buffer, bytes.data(), bytes.size());
    HttpResult result;
    splitHttpReply(buffer, int(bytes.size()), method, flags, result);
    return result;
}

class HttpRequestTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("http_proxy"); }
    void TearDown() override { unsetenv("http_proxy"); }
};

TEST_F(HttpRequestTest, RequestBytesDirect) {
    WebService service;
    HttpRequestOptions options;
    options.extraHeaders = "X-One: 1\r\nX-Two: 2";
    Reply get(service.hostPort() + "/test/lines", &options, HTTP_GET, 0);
    EXPECT_EQ(service.request(1), "GET /test/lines HTTP/1.0\r\nHost: 127.0.0.1\r\nUser-Agent: hget/1.2\r\n"
                                  "X-One: 1\r\nX-Two: 2\r\nPragma: no-cache\r\nAccept: */*\r\n\r\n");
    EXPECT_EQ(get.errorNumber, 0);
    EXPECT_EQ(get.errorText, "<null>");
    EXPECT_EQ(get.statusCode, "200");
    EXPECT_EQ(get.statusText, "OK\r");
    EXPECT_EQ(get.body, "ok\r\nline two\n\nlast");
    EXPECT_EQ(get.headers, "<null>");

    Reply head("http://" + service.hostPort() + "/test/lines", nullptr, HTTP_HEAD, HTTP_KEEP_HEADERS);
    EXPECT_EQ(service.request(2), std::string("HEAD /test/lines HTTP/1.0\r\nHost: 127.0.0.1\r\n") + TAIL);
    EXPECT_EQ(head.body.rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
    EXPECT_EQ(head.body.substr(head.body.size() - 4), "\r\n\r\n");
    EXPECT_NE(head.body.find("Content-Length: 18\r\n"), std::string::npos);
    EXPECT_EQ(head.headers, "<null>");

    HttpRequestOptions form;
    form.body = "a=1&b=\0x";
    form.bodyLength = 8;
    Reply post(service.hostPort() + "/nowhere", &form, HTTP_POST, HTTP_KEEP_HEADERS);
    EXPECT_EQ(service.request(3), std::string("POST /nowhere HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Length: 8\r\n"
                                              "Content-Type: application/x-www-form-urlencoded\r\n") +
                                      TAIL + std::string("a=1&b=\0x", 8));
    EXPECT_EQ(post.statusCode, "404");
    EXPECT_EQ(post.statusText, "Not Found\r");
    EXPECT_EQ(post.body, "not found\n");
    EXPECT_EQ(post.headers.rfind("HTTP/1.0 404 Not Found\r\n", 0), 0u);
    EXPECT_EQ(post.headers.substr(post.headers.size() - 4), "\r\n\r\n");

    form.extraHeaders = "Content-Type: text/x-raw";
    Reply raw(service.hostPort() + "/nowhere", &form, HTTP_POST, HTTP_RAW_POST);
    EXPECT_EQ(service.request(4), std::string("POST /nowhere HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Length: 8\r\n"
                                              "Content-Type: text/x-raw\r\n") +
                                      TAIL + std::string("a=1&b=\0x", 8));
}

TEST_F(HttpRequestTest, RequestBytesThroughProxy) {
    WebService service;
    setenv("http_proxy", (service.proxyUrl() + "ignored/path").c_str(), 1);
    Reply bare("www.zemtrovia.com/corvana2/nettest.php", nullptr, HTTP_GET, 0);
    EXPECT_EQ(service.request(1),
              std::string("GET http://www.zemtrovia.com/corvana2/nettest.php HTTP/1.0\r\nHost: 127.0.0.1\r\n") + TAIL);
    EXPECT_EQ(bare.statusCode, "200");
    EXPECT_EQ(bare.body.rfind("127.0.0.1:", 0), 0u);

    Reply head("http://www.zemtrovia.com/test/lines", nullptr, HTTP_HEAD, 0);
    EXPECT_EQ(service.request(2),
              std::string("HEAD http://www.zemtrovia.com/test/lines HTTP/1.0\r\nHost: 127.0.0.1\r\n") + TAIL);
    EXPECT_EQ(head.statusCode, "200");

    HttpRequestOptions form;
    form.body = "x";
    form.bodyLength = 1;
    form.extraHeaders = "X-Form: yes";
    Reply post("www.zemtrovia.com/test/lines", &form, HTTP_POST, HTTP_RAW_POST);
    EXPECT_EQ(service.request(3), std::string("POST http://www.zemtrovia.com/test/lines HTTP/1.0\r\n"
                                              "Host: 127.0.0.1\r\nContent-Length: 1\r\nX-Form: yes\r\n") +
                                      TAIL + "x");
    EXPECT_EQ(post.body, "ok\r\nline two\n\nlast");

    // Without the proxy the same process goes direct.
    Reply direct(service.hostPort() + "/test/empty", nullptr, HTTP_GET, HTTP_NO_PROXY);
    EXPECT_EQ(service.request(4), std::string("GET /test/empty HTTP/1.0\r\nHost: 127.0.0.1\r\n") + TAIL);
    EXPECT_EQ(direct.body, "");
    EXPECT_FALSE(direct.bodyIsNull);
}

TEST_F(HttpRequestTest, UrlParsing) {
    struct Case {
        const char* url;
        const char* scheme;
        const char* host;
        int port;
        const char* path;
    } cases[] = {
        {"server/path/page.php", "http", "server", 80, "/path/page.php"},
        {"server:8080/x", "http", "server", 8080, "/x"},
        {"server:abc/x", "http", "server", 0, "/x"},
        {"server", "http", "server", 80, "/"},
        {"HTTP://Server:81", "HTTP", "Server", 81, "/"},
        {"ftp://files/a/b://c", "ftp", "files", 80, "/a/b://c"},
        {"file:///tmp/x", "file", "", 80, "/tmp/x"},
    };
    for (const Case& c : cases) {
        char scheme[50], host[1024];
        int port = -1;
        char* path = parseUrl(c.url, scheme, host, &port);
        ASSERT_NE(path, nullptr);
        EXPECT_STREQ(scheme, c.scheme) << c.url;
        EXPECT_STREQ(host, c.host) << c.url;
        EXPECT_EQ(port, c.port) << c.url;
        EXPECT_STREQ(path, c.path) << c.url;
        free(path);
    }
    std::string longHost(2000, 'h');
    char scheme[50], host[1024];
    int port;
    free(parseUrl((std::string(80, 's') + "://" + longHost + "/p").c_str(), scheme, host, &port));
    EXPECT_EQ(strlen(scheme), 49u);
    EXPECT_EQ(strlen(host), 1023u);
}

TEST_F(HttpRequestTest, RefusedRequests) {
    WebService service;
    // Other schemes without a proxy: no error number, no text, no body.
    for (const char* url : {"ftp://127.0.0.1/x", "file:///tmp"}) {
        Reply r(url, nullptr, HTTP_HEAD, 0);
        EXPECT_EQ(r.errorNumber, 0) << url;
        EXPECT_EQ(r.errorText, "<null>") << url;
        EXPECT_TRUE(r.bodyIsNull) << url;
        EXPECT_EQ(r.statusCode, "") << url;
    }
    // A POST without a body sends nothing at all.
    Reply post(service.hostPort() + "/x", nullptr, HTTP_POST, 0);
    EXPECT_EQ(post.errorNumber, EINVAL);
    EXPECT_EQ(post.errorText, "ERROR, invalid URL for POST request");
    HttpRequestOptions empty;
    Reply post2(service.hostPort() + "/x", &empty, HTTP_POST, 0);
    EXPECT_EQ(post2.errorNumber, EINVAL);
    EXPECT_EQ(service.requestCount(), 0);

    // A port nobody listens on, and port 0 from "server:abc".
    Reply refused("127.0.0.1:" + std::to_string(closedLocalPort()) + "/x", nullptr, HTTP_GET, 0);
    EXPECT_EQ(refused.errorNumber, ECONNREFUSED);
    EXPECT_EQ(refused.errorText, "Connection refused");
    EXPECT_TRUE(refused.bodyIsNull);
    Reply portZero("127.0.0.1:abc/x", nullptr, HTTP_GET, 0);
    EXPECT_NE(portZero.errorNumber, 0);

    // A proxy that is not there.
    setenv("http_proxy", ("127.0.0.1:" + std::to_string(closedLocalPort())).c_str(), 1);
    Reply noProxy("www.zemtrovia.com/x", nullptr, HTTP_GET, 0);
    EXPECT_EQ(noProxy.errorNumber, ECONNREFUSED);
}

TEST_F(HttpRequestTest, ReplySplitting) {
    // Status code and text; the carriage return stays, the text is cut to 31.
    HttpResult r = split("HTTP/1.0 301 Moved Permanently to a place far far away\r\nLocation: /x\r\n\r\nbody", HTTP_GET,
                         HTTP_KEEP_HEADERS);
    EXPECT_STREQ(r.statusCode, "301");
    EXPECT_STREQ(r.statusText, "Moved Permanently to a place fa");
    EXPECT_EQ(bodyOf(r), "body");
    EXPECT_STREQ(r.headers, "HTTP/1.0 301 Moved Permanently to a place far far away\r\nLocation: /x\r\n\r\n");
    freeHttpResult(r);

    // A header block only: an empty body that is not null.
    r = split("HTTP/1.0 204 No Content\n\n", HTTP_POST);
    EXPECT_STREQ(r.statusCode, "204");
    EXPECT_STREQ(r.statusText, "No Content");
    ASSERT_NE(r.body, nullptr);
    EXPECT_EQ(r.bodyLength, 0);
    EXPECT_EQ(r.body[0], 0);
    freeHttpResult(r);

    // No blank line: no status, an empty body; for HEAD everything is the block.
    r = split("HTTP/1.0 200 OK\r\nServer: x\r\n", HTTP_GET);
    EXPECT_STREQ(r.statusCode, "");
    EXPECT_STREQ(r.statusText, "");
    ASSERT_NE(r.body, nullptr);
    EXPECT_EQ(r.bodyLength, 0);
    freeHttpResult(r);
    r = split("HTTP/1.0 200 OK\r\nServer: x\r\n", HTTP_HEAD);
    EXPECT_EQ(bodyOf(r), "HTTP/1.0 200 OK\r\nServer: x\r\n");
    freeHttpResult(r);

    // The status is read only inside the header block.
    r = split("HTTP/1.0\n\n 404 Not Found\n", HTTP_GET);
    EXPECT_STREQ(r.statusCode, "");
    EXPECT_EQ(bodyOf(r), " 404 Not Found\n");
    freeHttpResult(r);
    r = split("X 12\n\nrest\n", HTTP_GET);
    EXPECT_STREQ(r.statusCode, "12\n");
    EXPECT_STREQ(r.statusText, "");
    freeHttpResult(r);

    // A body shorter than its Content-Length is a protocol error.
    r = split("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nshort", HTTP_GET);
    EXPECT_EQ(r.errorNumber, EPROTO);
    EXPECT_EQ(r.body, nullptr);
    freeHttpResult(r);
    r = split("HTTP/1.0 200 OK\r\ncontent-length:5\r\n\r\nexactly", HTTP_GET);
    EXPECT_EQ(r.errorNumber, 0);
    EXPECT_EQ(bodyOf(r), "exactly");
    freeHttpResult(r);

    const char* crlf = "a\r\n\r\nb";
    EXPECT_EQ(findHeaderEnd(crlf, 6), crlf + 5);
    const char* text = "a\n\r\nb";
    EXPECT_EQ(findHeaderEnd(text, 5), text + 4);
    EXPECT_EQ(findHeaderEnd(text, 3), nullptr);
    EXPECT_EQ(findHeaderEnd("\n", 1), nullptr);
}

TEST_F(HttpRequestTest, HostileService) {
    HttpRequestOptions quick;
    quick.idleTimeoutMs = 300;
    quick.totalTimeoutMs = 5000;
    {
        WebService silent("silence");
        Reply r(silent.hostPort() + "/x", &quick, HTTP_GET, 0);
        EXPECT_EQ(r.errorNumber, ETIMEDOUT);
        EXPECT_EQ(r.errorText, "Connection timed out");
        EXPECT_TRUE(r.bodyIsNull);
    }
    {
        // Bytes keep coming, but the whole request takes too long.
        WebService drip("drip", 0.1);
        HttpRequestOptions o;
        o.idleTimeoutMs = 1000;
        o.totalTimeoutMs = 700;
        Reply r(drip.hostPort() + "/x", &o, HTTP_GET, 0);
        EXPECT_EQ(r.errorNumber, ETIMEDOUT);
    }
    {
        WebService endless("endless");
        HttpRequestOptions o;
        Reply r(endless.hostPort() + "/x", &o, HTTP_GET, 0);
        EXPECT_EQ(r.errorNumber, EMSGSIZE);
        EXPECT_TRUE(r.bodyIsNull);
        EXPECT_LE(o.peakBufferBytes, HTTP_MAX_BODY_BYTES + HTTP_MAX_HEADER_BYTES + 2);
    }
    {
        WebService shortBody("short");
        Reply r(shortBody.hostPort() + "/x", nullptr, HTTP_GET, 0);
        EXPECT_EQ(r.errorNumber, EPROTO);
        EXPECT_STREQ(r.errorText.c_str(), "Protocol error");
    }
    {
        WebService noise("noise");
        Reply r(noise.hostPort() + "/x", nullptr, HTTP_GET, 0);
        EXPECT_EQ(r.errorNumber, 0);
        EXPECT_FALSE(r.bodyIsNull);
    }
    {
        WebService failing("500");
        Reply r(failing.hostPort() + "/x", nullptr, HTTP_GET, 0);
        EXPECT_EQ(r.errorNumber, 0);
        EXPECT_EQ(r.statusCode, "500");
        EXPECT_EQ(r.statusText, "Internal Server Error\r");
        EXPECT_EQ(r.body, "server error\n");
    }
    {
        WebService noBlank("noblank");
        Reply r(noBlank.hostPort() + "/x", nullptr, HTTP_GET, 0);
        EXPECT_EQ(r.errorNumber, 0);
        EXPECT_EQ(r.statusCode, "");
        EXPECT_EQ(r.body, "");
        EXPECT_FALSE(r.bodyIsNull);
    }
    {
        // The service resets the connection partway through a 1 MB upload:
        // an error, and no SIGPIPE.
        WebService reset("closebody");
        std::string upload(1 << 20, 'u');
        HttpRequestOptions o;
        o.body = upload.data();
        o.bodyLength = int(upload.size());
        Reply r(reset.hostPort() + "/corvana2/highscoreupload.php", &o, HTTP_POST, HTTP_RAW_POST);
        EXPECT_TRUE(r.errorNumber == ECONNRESET || r.errorNumber == EPIPE) << r.errorNumber << " " << r.errorText;
        EXPECT_TRUE(r.bodyIsNull);
    }
}

TEST_F(HttpRequestTest, ReplySizes) {
    WebService service;
    HttpRequestOptions o;
    Reply big(service.hostPort() + "/bytes/1000000", &o, HTTP_GET, 0);
    ASSERT_EQ(big.body.size(), 1000000u);
    for (size_t i = 0; i < big.body.size(); i += 4999) ASSERT_EQ(uint8_t(big.body[i]), uint8_t(i % 256)) << i;
    EXPECT_GT(o.reallocations, 0);

    // Exactly the largest body passes; one byte more does not.
    Reply largest(service.hostPort() + "/bytes/" + std::to_string(HTTP_MAX_BODY_BYTES), nullptr, HTTP_GET, 0);
    EXPECT_EQ(largest.errorNumber, 0);
    EXPECT_EQ(largest.body.size(), size_t(HTTP_MAX_BODY_BYTES));
}

class FileUrlTest : public HttpRequestTest {
protected:
    void SetUp() override {
        HttpRequestTest::SetUp();
        const std::string folder = makeTempFolder("fileurl.");
        ASSERT_FALSE(folder.empty());
        root = folder + "/it's <here>";
        std::filesystem::create_directories(root + "/sub");
        std::ofstream(root + "/a'b&c.txt", std::ios::binary) << std::string("one\0two", 7);
        std::ofstream(root + "/run.sh") << "#!/bin/sh\n";
        chmod((root + "/run.sh").c_str(), 0755);
        std::ofstream(root + "/.hidden") << "x";
        symlink("a'b&c.txt", (root + "/link").c_str());
    }
    void TearDown() override {
        std::filesystem::remove_all(std::filesystem::path(root).parent_path());
        HttpRequestTest::TearDown();
    }
    std::string root;
};

TEST_F(FileUrlTest, FilesAndFolders) {
    Reply file("file://" + root + "/a'b&c.txt", nullptr, HTTP_GET, 0);
    EXPECT_EQ(file.body, std::string("one\0two", 7));
    EXPECT_EQ(file.errorNumber, 0);
    EXPECT_EQ(file.errorText, "");

    Reply folder("FILE://" + root, nullptr, HTTP_GET, 0);
    const std::string shown = escapeHtml(root);
    EXPECT_NE(shown.find("it&#39;s &lt;here&gt;"), std::string::npos);
    EXPECT_EQ(folder.errorText, "");
    const std::string& page = folder.body;
    EXPECT_EQ(page.rfind("<HTML><HEAD><TITLE>Index of " + shown + "</TITLE></HEAD>\n<BODY BGCOLOR=\"#99cc99\"><H4>Index of " +
                             shown + "</H4>\n<PRE>\n<A HREF=\"file://" +
                             escapeHtml(std::filesystem::path(root).parent_path().string()) +
                             "/\">Parent Directory</A><P>\n",
                         0),
              0u)
        << page;
    EXPECT_EQ(page.substr(page.size() - 22), "</PRE>\n</BODY></HTML>\n");
    size_t a = page.find("<A HREF=\"a&#39;b&amp;c.txt\">a&#39;b&amp;c.txt</A>\n");
    size_t l = page.find("<A HREF=\"link\">link</A> -&gt; a&#39;b&amp;c.txt\n");
    size_t r = page.find("<A HREF=\"run.sh\">run.sh</A>*\n");
    size_t s = page.find("<A HREF=\"sub/\">sub/</A>\n");
    EXPECT_NE(a, std::string::npos) << page;
    EXPECT_NE(l, std::string::npos) << page;
    EXPECT_NE(r, std::string::npos) << page;
    EXPECT_NE(s, std::string::npos) << page;
    EXPECT_TRUE(a < l && l < r && r < s);
    EXPECT_EQ(page.find("hidden"), std::string::npos);
    EXPECT_NE(page.find("drwx"), std::string::npos);

    Reply top("file:///", nullptr, HTTP_GET, 0);
    EXPECT_NE(top.body.find("<A HREF=\"file:///\">Parent Directory</A><P>\n"), std::string::npos);
    Reply sub("file://" + root + "/sub/", nullptr, HTTP_GET, 0);
    EXPECT_NE(sub.body.find("<A HREF=\"file://" + shown + "/\">Parent Directory</A>"), std::string::npos);

    Reply missing("file://" + root + "/none", nullptr, HTTP_GET, 0);
    EXPECT_EQ(missing.errorNumber, ENOENT);
    EXPECT_EQ(missing.errorText, "No such file or directory");
    EXPECT_TRUE(missing.bodyIsNull);

    Reply device("file:///dev/null", nullptr, HTTP_GET, 0);
    EXPECT_EQ(device.errorNumber, 0);
    EXPECT_TRUE(device.bodyIsNull);
}

}  // namespace
