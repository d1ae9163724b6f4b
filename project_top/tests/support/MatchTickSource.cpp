#include "MatchTickSource.h"

void MatchTickSource::beginFrame(uint32_t periodMs, uint32_t extraMs) {
    deadline = now + periodMs;
    now += extraMs;
}

void MatchTickSource::delay(uint32_t milliseconds) {
    if (deadline == 0) {
        ManualTickSource::delay(milliseconds);
        return;
    }
    // Not recorded: a run of thousands of frames would keep every one.
    if (now < deadline) now = deadline;
    deadline = 0;
}
