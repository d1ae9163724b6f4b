#pragma once
// Every file the loader reads, read as it will read it, without a window or a
// sound device: each picture decoded and its side file's sub-images placed
// inside it, each sound effect decoded whole, each piece of music opened and
// its first block decoded (the rest is decoded as it plays). The start runs it
// before the engine, so that a damaged file is a set-up problem rather than a
// crash halfway through loading or in the middle of a match.
#include "util/UString.h"

class FileManager;

class LoaderFileCheck {
public:
    // Empty when every file would load from files (its archive read with
    // useWad and whole); else one sentence naming the first file that would
    // not, its archive and why. Runs on the engine there is, else on a bare
    // one for the time of the check.
    static UString problem(FileManager& files);
};
