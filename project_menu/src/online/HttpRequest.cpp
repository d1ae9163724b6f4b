#include "HttpRequest.h"

#include "HttpFileUrl.h"

#include "files/PrintableText.h"
#include "util/PlimUtil.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

namespace {

const int URL_LIMIT = 8192;
const int SCHEME_SIZE = 50;
const int HOST_SIZE = 1024;
const int FIRST_REPLY_BUFFER = 65536;
const int READ_CHUNK = 65536;
// Received bytes beyond this end the request.
const int REPLY_LIMIT = HTTP_MAX_BODY_BYTES + HTTP_MAX_HEADER_BYTES;

// One line on standard error, named as the program's own and written at once,
// so that lines of requests on other threads never mix.
void sayProblem(const UString& line) {
    fputs(formatString("%s: %s\n", PLIM_BUILD_NAME, line.c_str()).c_str(), stderr);
    fflush(stderr);
}

HttpResult failure(int errorNumber) {
    HttpResult result;
    result.errorNumber = errorNumber;
    result.errorText = httpErrorText(errorNumber);
    return result;
}

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The request's time limits: a deadline for the whole request and a limit
// on each wait for the socket.
class Budget {
public:
    Budget(const HttpRequestOptions& o) : deadline(nowMs() + o.totalTimeoutMs), idleMs(o.idleTimeoutMs) {}

    bool expired() const { return nowMs() >= deadline; }

    // 0 when the socket is ready for events, else the errno (ETIMEDOUT).
    int wait(int fd, short events, int limitMs) const {
        for (;;) {
            int64_t remaining = deadline - nowMs();
            if (remaining <= 0) return ETIMEDOUT;
            pollfd p = {fd, events, 0};
            int n = poll(&p, 1, int(std::min<int64_t>(remaining, limitMs)));
            if (n > 0) return 0;
            if (n == 0) return ETIMEDOUT;
            if (errno != EINTR) return errno;
        }
    }
    int wait(int fd, short events) const { return wait(fd, events, idleMs); }

private:
    int64_t deadline;
    int idleMs;
};

// 0 or the errno of the failing step.
int sendAll(int fd, const char* data, size_t length, const Budget& budget) {
    while (length > 0) {
        ssize_t n = send(fd, data, length, MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            length -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            int e = budget.wait(fd, POLLOUT);
            if (e) return e;
            continue;
        }
        return n < 0 ? errno : EIO;
    }
    return 0;
}

int connectTo(const sockaddr_in& address, HttpRequestOptions& options, const Budget& budget, int& fd) {
    fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return errno;
    options.socket = fd;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
    if (errno != EINPROGRESS) return errno;
    int e = budget.wait(fd, POLLOUT, options.connectTimeoutMs);
    if (e) return e;
    socklen_t size = sizeof e;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &e, &size) != 0) return errno;
    return e;
}

// Reads until the server closes; reply is malloc'd (capacity > length).
int receiveAll(int fd, HttpRequestOptions& options, const Budget& budget, char*& reply, int& length) {
    int capacity = FIRST_REPLY_BUFFER;
    reply = static_cast<char*>(malloc(size_t(capacity)));
    if (!reply) {
        int e = errno;
        sayProblem(formatString("ERROR (malloc): recv (errno = %d = %s)", e, httpErrorText(e)));
        return e;
    }
    options.peakBufferBytes = capacity;
    length = 0;
    for (;;) {
        if (capacity - 1 - length < READ_CHUNK && capacity < REPLY_LIMIT + 2) {
            int grown = int(std::min<int64_t>(int64_t(capacity) * 2, REPLY_LIMIT + 2));
            char* bigger = static_cast<char*>(realloc(reply, size_t(grown)));
            if (!bigger) {
                int e = errno;
                sayProblem(formatString("ERROR (realloc): (errno = %d = %s)", e, httpErrorText(e)));
                return e;
            }
            reply = bigger;
            capacity = grown;
            options.reallocations++;
            options.peakBufferBytes = capacity;
        }
        int room = std::min(capacity - 1 - length, READ_CHUNK);
        ssize_t n = recv(fd, reply + length, size_t(room), 0);
        if (n > 0) {
            length += int(n);
            if (length > REPLY_LIMIT) return EMSGSIZE;
            if (budget.expired()) return ETIMEDOUT;
            continue;
        }
        if (n == 0) return 0;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            int e = budget.wait(fd, POLLIN);
            if (e) return e;
            continue;
        }
        return errno;
    }
}

std::string buildRequest(int method, const std::string& target, const char* host, const HttpRequestOptions* options,
                         int flags) {
    std::string extra;
    if (options && options->extraHeaders) extra = std::string(options->extraHeaders) + "\r\n";
    const char* verb = method == HTTP_HEAD ? "HEAD" : method == HTTP_POST ? "POST" : "GET";
    std::string text = std::string(verb) + " " + target + " HTTP/1.0\r\nHost: " + host + "\r\n";
    if (method == HTTP_POST) {
        text += "Content-Length: " + std::to_string(options->bodyLength) + "\r\n";
        if (!(flags & HTTP_RAW_POST)) text += "Content-Type: application/x-www-form-urlencoded\r\n";
        text += extra;
        text += "User-Agent: hget/1.2\r\n";
    } else {
        text += "User-Agent: hget/1.2\r\n";
        text += extra;
    }
    text += "Pragma: no-cache\r\nAccept: */*\r\n\r\n";
    return text;
}

// The value of a Content-Length line of the header block, -1 when none.
long contentLength(const char* headers, int length) {
    const char* end = headers + length;
    const char name[] = "content-length:";
    const int nameLength = int(sizeof name) - 1;
    for (const char* line = headers; line < end;) {
        const char* next = static_cast<const char*>(memchr(line, '\n', size_t(end - line)));
        const char* lineEnd = next ? next : end;
        if (lineEnd - line > nameLength && strncasecmp(line, name, size_t(nameLength)) == 0) {
            std::string value(line + nameLength, lineEnd);
            char* stop = nullptr;
            long n = strtol(value.c_str(), &stop, 10);
            if (stop != value.c_str() && n >= 0) return n;
        }
        line = next ? next + 1 : end;
    }
    return -1;
}

void parseStatusLine(const char* reply, int headerLength, HttpResult& result) {
    const char* end = reply + headerLength;
    const char* space = static_cast<const char*>(memchr(reply, ' ', size_t(headerLength)));
    if (!space || end - space < 4) return;
    memcpy(result.statusCode, space + 1, 3);
    result.statusCode[3] = 0;
    const char* text = space + 5;
    if (text >= end) return;
    const char* lineEnd = static_cast<const char*>(memchr(text, '\n', size_t(end - text)));
    if (!lineEnd) return;
    size_t n = std::min<size_t>(size_t(lineEnd - text), sizeof result.statusText - 1);
    memcpy(result.statusText, text, n);
    result.statusText[n] = 0;
}

}  // namespace

const char* httpErrorText(int errorNumber) {
    const char* text = strerrordesc_np(errorNumber);
    return text ? text : "Unknown error";
}

void freeHttpResult(HttpResult& result) {
    free(result.body);
    free(result.headers);
    result.body = nullptr;
    result.headers = nullptr;
}

char* parseUrl(const char* url, char* scheme, char* host, int* port) {
    std::string rest(url);
    std::string schemeText = "http";
    size_t mark = rest.find("://");
    if (mark != std::string::npos) {
        schemeText = rest.substr(0, mark);
        rest = rest.substr(mark + 3);
    }
    size_t slash = rest.find('/');
    std::string hostText = rest.substr(0, slash);
    std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
    *port = 80;
    size_t colon = hostText.find(':');
    if (colon != std::string::npos) {
        *port = atoi(hostText.c_str() + colon + 1);
        hostText.resize(colon);
    }
    snprintf(scheme, SCHEME_SIZE, "%s", schemeText.c_str());
    snprintf(host, HOST_SIZE, "%s", hostText.c_str());
    return strdup(path.c_str());
}

const char* findHeaderEnd(const char* data, int length) {
    for (int i = 0; i + 1 < length; ++i) {
        if (data[i] != '\n') continue;
        if (data[i + 1] == '\n') return data + i + 2;
        if (data[i + 1] == '\r' && i + 2 < length && data[i + 2] == '\n') return data + i + 3;
    }
    return nullptr;
}

void splitHttpReply(char* reply, int length, int method, int flags, HttpResult& result) {
    const char* headerEnd = findHeaderEnd(reply, length);
    int headerLength = headerEnd ? int(headerEnd - reply) : length;
    if (headerEnd) parseStatusLine(reply, headerLength, result);
    if (method == HTTP_HEAD) {
        char* shrunk = static_cast<char*>(realloc(reply, size_t(headerLength) + 1));
        if (shrunk) reply = shrunk;
        reply[headerLength] = 0;
        result.body = reply;
        result.bodyLength = headerLength;
        return;
    }
    int bodyLength = length - headerLength;
    long expected = headerEnd ? contentLength(reply, headerLength) : -1;
    if (expected > bodyLength) {
        free(reply);
        HttpResult shortReply = failure(EPROTO);
        memcpy(shortReply.statusCode, result.statusCode, sizeof result.statusCode);
        memcpy(shortReply.statusText, result.statusText, sizeof result.statusText);
        result = shortReply;
        return;
    }
    if (flags & HTTP_KEEP_HEADERS) {
        result.headers = static_cast<char*>(malloc(size_t(headerLength) + 1));
        if (result.headers) {
            memcpy(result.headers, reply, size_t(headerLength));
            result.headers[headerLength] = 0;
        }
    }
    memmove(reply, reply + headerLength, size_t(bodyLength));
    if (bodyLength > 0) {
        char* shrunk = static_cast<char*>(realloc(reply, size_t(bodyLength) + 1));
        if (shrunk) reply = shrunk;
    }
    reply[bodyLength] = 0;
    result.body = reply;
    result.bodyLength = bodyLength;
}

HttpResult httpRequest(const char* url, HttpRequestOptions* options, int method, int flags) {
    if (method == HTTP_GET && strncasecmp(url, "file://", 7) == 0) return listFileUrl(url);

    HttpRequestOptions defaults;
    HttpRequestOptions& o = options ? *options : defaults;
    std::string urlText(url, strnlen(url, URL_LIMIT));
    char scheme[SCHEME_SIZE];
    char host[HOST_SIZE];
    int port = 80;
    std::string target;

    const char* proxy = (flags & HTTP_NO_PROXY) ? nullptr : getenv("http_proxy");
    char* path = parseUrl(proxy && *proxy ? proxy : urlText.c_str(), scheme, host, &port);
    if (!path) return failure(errno);
    if (proxy && *proxy) {
        // A proxy needs an absolute target.
        target = urlText.find("://") == std::string::npos ? "http://" + urlText : urlText;
    } else {
        if (strcasecmp(scheme, "http") != 0) {
            free(path);
            sayProblem(formatString("http_request cannot operate on %s URLs without a proxy",
                                    printableText(std::string(scheme)).c_str()));
            return HttpResult();
        }
        target = path;
    }
    free(path);

    if (method == HTTP_POST && (!options || !options->body || options->bodyLength < 0)) {
        sayProblem("ERROR: invalid URL for POST request, no content found");
        HttpResult result;
        result.errorNumber = EINVAL;
        result.errorText = "ERROR, invalid URL for POST request";
        return result;
    }

    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int lookup = getaddrinfo(host, nullptr, &hints, &found);
    if (lookup != 0) {
        // The host may come from http_proxy.
        sayProblem(formatString("Unknown host %s", printableText(std::string(host)).c_str()));
        HttpResult result;
        if (lookup == EAI_SYSTEM && errno != 0) return failure(errno);
        result.errorNumber = lookup;
        result.errorText = gai_strerror(lookup);
        return result;
    }
    sockaddr_in address = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
    freeaddrinfo(found);
    address.sin_port = htons(uint16_t(port));

    Budget budget(o);
    int fd = -1;
    int e = connectTo(address, o, budget, fd);
    std::string request;
    if (!e) {
        request = buildRequest(method, target, host, &o, flags);
        e = sendAll(fd, request.data(), request.size(), budget);
    }
    if (!e && method == HTTP_POST) e = sendAll(fd, static_cast<const char*>(o.body), size_t(o.bodyLength), budget);
    char* reply = nullptr;
    int length = 0;
    if (!e) e = receiveAll(fd, o, budget, reply, length);
    if (fd >= 0) close(fd);
    if (e) {
        free(reply);
        return failure(e);
    }
    HttpResult result;
    splitHttpReply(reply, length, method, flags, result);
    return result;
}
