#pragma once
// A plain match whose sound goes through SDL's disk audio driver into the
// run folder's "audio.raw", with the in-game music off so that only the
// sounds a test starts reach the output.
#include "MatchHarness.h"

#include <string>

class DiskAudioMatch {
public:
    DiskAudioMatch();
    // A few frames, each heard, so that the file holds buffers of silence first.
    void settle();

    MatchHarness run;
    const std::string output;
    GameController* match = nullptr;
    long buffer = 0; // the mixer's buffer in bytes
};
