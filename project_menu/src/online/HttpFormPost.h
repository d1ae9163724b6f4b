#pragma once
// One multipart/form-data POST sent on a thread of its own, so that a screen
// keeps animating while it runs. The screen adds the fields, sends, then polls
// the status once per frame and reads the outcome after a 2 or 3.
//
// The post has two owners while it is sent: the screen and the worker. Each
// lets go with release(); the last one frees the post, so a screen that closes
// while its post hangs neither waits nor leaks.
#include "HttpRequest.h"
#include "util/UString.h"

#include <atomic>
#include <cstdint>
#include <vector>

class HttpFormPost {
public:
    enum Status { IDLE = 0, BUSY = 1, FAILED = 2, DONE = 3 };

    static const char* const BOUNDARY;

    HttpFormPost(const UString& server, const UString& path);
    virtual ~HttpFormPost();
    HttpFormPost(const HttpFormPost&) = delete;
    HttpFormPost& operator=(const HttpFormPost&) = delete;

    // A plain field when fileName is empty, else a file field. The data is copied.
    void addField(const UString& name, const UString& fileName, const void* data, int length);
    void appendBody(const void* data, int length);
    // Closes the body and starts the worker. A post is sent once.
    void send();
    // The status; a 2 or 3 is reported once, then the status is idle again.
    int poll();
    // Drops the caller's hold on post and clears the pointer; a post still
    // being sent lives on until its worker ends.
    static void release(HttpFormPost*& post);

    // A reply's lines: split at line feeds, a carriage return before one
    // dropped, empty lines kept, no empty line after a final line feed.
    static std::vector<UString> splitLines(const UString& text);

    // Outcome: message after FAILED, reply and replyLines after DONE.
    UString message;
    UString reply;
    std::vector<UString> replyLines;
    std::atomic<int32_t> status{IDLE};

    UString server;
    UString path;
    uint8_t* body = nullptr;
    int bodyLength = 0;
    // Time limits of the request (HttpRequestOptions' defaults unless changed before send).
    int connectTimeoutMs;
    int idleTimeoutMs;
    int totalTimeoutMs;

private:
    void run();
    static void threadMain(HttpFormPost* post);

    std::atomic<int32_t> holders{1};
};
