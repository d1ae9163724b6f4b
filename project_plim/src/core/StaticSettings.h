#pragma once
// The edition-wide settings of the read-only static settings file beside the
// data archive: the keys the engine requires, read in one place, so that the
// start-up can check a file the very way the engine will read it.
#include "util/UString.h"

class MemoryIniFile;

struct StaticSettings {
    bool bMultilanguage = false;
    int singleLanguage = 0;
    bool bHoliday = false;
    int ditherDepth = 0;
    double hardwareMouseScaling = 1.0;

    // Every key through the file's strict getters: a missing one is the fatal
    // error that names it.
    void read(MemoryIniFile& file);

    // Why the file at path would not give every key as its writer meant:
    // empty when it is text holding each of them with a value the engine
    // reads as written (Yes or No for a flag, as MemoryIniFile::isFlag, a
    // whole number, a finite number), and read strictly as a side file is
    // (no stray line, no key or section given twice). A key the reader
    // misses although an editor shows it is said with the cause (a
    // byte-order mark, blanks around "=", CR line ends). Reads only that
    // file; needs no engine.
    static UString problem(const UString& path);

private:
    template <class Visit>
    void eachKey(Visit visit);
};
