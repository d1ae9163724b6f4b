#include "HttpFormPost.h"

#include <cstdlib>
#include <cstring>
#include <system_error>
#include <thread>

const char* const HttpFormPost::BOUNDARY = "---------------------------7d33992b80330";

HttpFormPost::HttpFormPost(const UString& server, const UString& path) : server(server), path(path) {
    HttpRequestOptions defaults;
    connectTimeoutMs = defaults.connectTimeoutMs;
    idleTimeoutMs = defaults.idleTimeoutMs;
    totalTimeoutMs = defaults.totalTimeoutMs;
}

HttpFormPost::~HttpFormPost() {
    delete[] body;
}

void HttpFormPost::addField(const UString& name, const UString& fileName, const void* data, int length) {
    UString head = UString::format("\r\n--%s\r\nContent-Disposition: form-data; name=\"%s\"", BOUNDARY, name.c_str());
    if (!fileName.isEmpty())
        head += UString::format("; filename=\"%s\"\r\nContent-Type: application/octet-stream", fileName.c_str());
    head += "\r\n\r\n";
    appendBody(head.c_str(), int(head.length()));
    appendBody(data, length);
}

void HttpFormPost::appendBody(const void* data, int length) {
    if (length <= 0) return;
    uint8_t* joined = new uint8_t[size_t(bodyLength) + size_t(length)];
    if (bodyLength > 0) memcpy(joined, body, size_t(bodyLength));
    memcpy(joined + bodyLength, data, size_t(length));
    delete[] body;
    body = joined;
    bodyLength += length;
}

void HttpFormPost::send() {
    if (body) {
        UString close = UString::format("\r\n--%s--\r\n", BOUNDARY);
        appendBody(close.c_str(), int(close.length()));
    }
    status.store(BUSY, std::memory_order_release);
    holders.fetch_add(1, std::memory_order_relaxed);
    try {
        std::thread(threadMain, this).detach();
    } catch (const std::system_error& e) {
        holders.fetch_sub(1, std::memory_order_relaxed);
        message = UString::format("Error creating thread (result=%d)", e.code().value());
        status.store(FAILED, std::memory_order_release);
    }
}

int HttpFormPost::poll() {
    int32_t now = status.load(std::memory_order_acquire);
    if (now == FAILED || now == DONE) status.store(IDLE, std::memory_order_relaxed);
    return now;
}

void HttpFormPost::release(HttpFormPost*& post) {
    HttpFormPost* p = post;
    post = nullptr;
    if (p && p->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) delete p;
}

std::vector<UString> HttpFormPost::splitLines(const UString& text) {
    std::vector<UString> lines;
    const std::string& s = text.str();
    size_t start = 0;
    while (start < s.size()) {
        size_t lf = s.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(UString(s.substr(start)));
            break;
        }
        size_t end = lf > start && s[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back(UString(s.substr(start, end - start)));
        start = lf + 1;
    }
    return lines;
}

void HttpFormPost::threadMain(HttpFormPost* post) {
    post->run();
    release(post);
}

void HttpFormPost::run() {
    status.store(BUSY, std::memory_order_relaxed);
    UString url = server + path;
    HttpRequestOptions options;
    options.connectTimeoutMs = connectTimeoutMs;
    options.idleTimeoutMs = idleTimeoutMs;
    options.totalTimeoutMs = totalTimeoutMs;
    HttpResult result;
    if (body) {
        UString contentType = UString::format("Content-Type: multipart/form-data; boundary=%s", BOUNDARY);
        options.extraHeaders = contentType.c_str();
        options.body = body;
        options.bodyLength = bodyLength;
        result = httpRequest(url.c_str(), &options, HTTP_POST, HTTP_RAW_POST);
    } else {
        result = httpRequest(url.c_str(), &options, HTTP_GET, 0);
    }
    int32_t outcome = FAILED;
    if (result.errorNumber != 0) {
        message = UString::format("Request failed (error %d:%s)", result.errorNumber,
                                  result.errorText ? result.errorText : "");
    } else {
        int code = atoi(result.statusCode);
        if (code >= 200 && code <= 299) {
            if (result.bodyLength > 0) {
                reply = UString(result.body);
                replyLines = splitLines(reply);
            }
            outcome = DONE;
        } else {
            message = UString::format("Failed with HTTP status code %s (%s)", result.statusCode, result.statusText);
        }
    }
    freeHttpResult(result);
    status.store(outcome, std::memory_order_release);
}
