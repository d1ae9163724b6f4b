#pragma once
// A small blocking HTTP/1.0 client: one request over a fresh TCP connection,
// the whole reply read until the server closes it. Honours http_proxy and
// answers file:// URLs itself. Failures come back in the result record (and a
// line on standard error), never as exceptions; no global state is touched,
// so calls on several threads are independent.
#include <cstdint>

enum HttpMethod {
    HTTP_GET = 2,
    HTTP_HEAD = 3,
    HTTP_POST = 4,
};

enum HttpFlags {
    HTTP_KEEP_HEADERS = 1,  // return a copy of the header block
    HTTP_RAW_POST = 2,      // POST without the form-urlencoded Content-Type line
    HTTP_NO_PROXY = 4,      // ignore http_proxy
};

// A reply may hold this much body (plus a header block of up to
// HTTP_MAX_HEADER_BYTES); more ends the request with EMSGSIZE.
const int HTTP_MAX_BODY_BYTES = 16 * 1024 * 1024;
const int HTTP_MAX_HEADER_BYTES = 64 * 1024;

struct HttpRequestOptions {
    const char* extraHeaders = nullptr;  // header lines without the final line break
    const void* body = nullptr;          // required for a POST
    int bodyLength = 0;
    int socket = -1;  // written by the client once the socket exists
    // Each expiry ends the request with ETIMEDOUT.
    int connectTimeoutMs = 30000;  // to establish the connection
    int idleTimeoutMs = 30000;     // without a byte moving either way
    int totalTimeoutMs = 120000;   // for the whole request
    // Written by the client: growths of the reply buffer and its largest size.
    int reallocations = 0;
    int peakBufferBytes = 0;
};

struct HttpResult {
    char* body = nullptr;  // malloc'd, NUL-terminated; the caller frees it
    int bodyLength = 0;    // without the NUL
    char* headers = nullptr;  // malloc'd header block, only with HTTP_KEEP_HEADERS
    int errorNumber = 0;      // 0 when the request went through
    const char* errorText = nullptr;  // static text; null on success ("" for file://)
    char statusCode[4] = {};
    char statusText[32] = {};
};

HttpResult httpRequest(const char* url, HttpRequestOptions* options, int method, int flags);

// Frees the body and header copy of a result and clears both pointers.
void freeHttpResult(HttpResult& result);

// Splits url into scheme (buffer of 50), host (buffer of 1,024) and port, and
// returns the path as a malloc'd string (null when out of memory).
char* parseUrl(const char* url, char* scheme, char* host, int* port);

// The position just past the first blank line of data, null when none.
const char* findHeaderEnd(const char* data, int length);

// Splits a received reply (malloc'd buffer of length bytes, capacity at least
// length + 1) into the result: status, body or header block by method. Takes
// the buffer over.
void splitHttpReply(char* reply, int length, int method, int flags, HttpResult& result);

// A static, thread-safe description of an errno value.
const char* httpErrorText(int errorNumber);
