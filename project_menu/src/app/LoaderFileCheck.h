#pragma once
// Every file the loader reads, read as it will read it, without a window or a
// sound device: each picture decoded and its side file's sub-images placed
// inside it (a font's within the symbols a font holds), no fewer than the game
// takes from the picture (Loader::NeededFiles::subImagesUsed), each sound effect
// decoded whole, each piece of music opened and its first block decoded (the
// rest is decoded as it plays). The start runs it
// before the engine, so that a damaged file is a set-up problem rather than a
// crash halfway through loading or in the middle of a match. Reading a file
// whole inflates it to its end: this is the start's check that the archive's
// entries the game reads are whole (nothing reads the others). Every file is
// weighed before it is read, by its size in the archive's directory, and
// before it is decoded, a picture by its header and a sound by its length;
// the decoding stops where what it would take passes its limit, and the rest
// are only weighed. Its limits are StartLimits'; a sound's are checked by
// SoundCheck before any decoder opens it.
#include "util/UString.h"

class FileManager;

class LoaderFileCheck {
public:
    // Empty when every file would load from files (its archive read with
    // useWad); else one sentence naming the first file that would not, its
    // archive and why (the file manager's own when the archive cannot give
    // it whole), or a total past its limit and the files that weigh most in it. Runs on the engine there is, else on a bare one for
    // the time of the check.
    static UString problem(FileManager& files);
};
