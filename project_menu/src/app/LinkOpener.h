#pragma once
// Opens a web page or a file in the desktop's browser or viewer: "xdg-open
// url", started without a shell, while the game runs on, so that the game can
// close once the viewer has started and stay when it could not.
#include "util/UString.h"

#include <cstdint>
#include <sys/types.h>

class LinkOpener {
public:
    enum State { IDLE, STARTING, OPENED, FAILED };
    // xdg-open that still runs after this long waits on the viewer it started.
    static constexpr unsigned int STARTED_AFTER_MS = 3000;

    LinkOpener() = default;
    LinkOpener(const LinkOpener&) = delete;
    LinkOpener& operator=(const LinkOpener&) = delete;

    // Starts xdg-open for url unless one is already starting; FAILED (with
    // problem) when it cannot be started at all.
    State start(const UString& url);
    // STARTING until xdg-open has ended well or has run STARTED_AFTER_MS
    // (OPENED), or has ended with an error (FAILED, with problem). An answer
    // other than STARTING is given once; the opener is IDLE again afterwards.
    State poll();

    UString url;
    UString problem;  // why the last link could not be opened

private:
    State finish(State state);

    pid_t child = -1;
    uint64_t startedAt = 0;
};
