// Feeds arbitrary bytes to the parsers of the HTTP client and the form post:
// the reply split (status line, header block, Content-Length) for each method
// and flag set, the URL parser, the header-end search, the reply's lines and
// the connection test's address check.
//
// The first byte chooses the parser (bits 0-2) and, for the split, the
// method and flags (bits 3-6).
#include "online/AddressReply.h"
#include "online/HttpFormPost.h"
#include "online/HttpRequest.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t choice = data[0];
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const int length = int(size - 1);
    const std::string text(bytes, size_t(length));

    switch (choice & 7) {
    case 0: {
        const int methods[] = {HTTP_GET, HTTP_HEAD, HTTP_POST, 0};
        char* reply = static_cast<char*>(malloc(size_t(length) + 1));
        memcpy(reply, bytes, size_t(length));
        HttpResult result;
        splitHttpReply(reply, length, methods[(choice >> 3) & 3], (choice >> 5) & 3, result);
        if (result.body && int(strnlen(result.body, size_t(result.bodyLength) + 1)) > result.bodyLength) abort();
        if (strnlen(result.statusCode, 4) > 3 || strnlen(result.statusText, 32) > 31) abort();
        freeHttpResult(result);
        break;
    }
    case 1: {
        char scheme[50], host[1024];
        int port = 0;
        free(parseUrl(text.c_str(), scheme, host, &port));
        break;
    }
    case 2: {
        const char* end = findHeaderEnd(bytes, length);
        if (end && (end < bytes || end > bytes + length)) abort();
        break;
    }
    case 3: {
        std::string joined;
        for (const UString& line : HttpFormPost::splitLines(text.c_str())) joined += line.str() + "\n";
        if (joined.size() > text.size() + 1) abort();
        break;
    }
    default: {
        uint32_t ip = 0;
        uint16_t port = 0;
        if (parseAddressReply(text.c_str(), &ip, &port) && port == 0) abort();
        break;
    }
    }
    return 0;
}
