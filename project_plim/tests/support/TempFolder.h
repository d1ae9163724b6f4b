#pragma once
// Where a test keeps its files: under TMPDIR (the test run's own folder, which
// goes with the run even when a test is killed at its limit), else /tmp.
#include <cstdlib>
#include <stdlib.h>
#include <string>

inline std::string tempBase() {
    const char* base = getenv("TMPDIR");
    return base && *base ? base : "/tmp";
}

// A path in the temporary folder for the name.
inline std::string tempPath(const std::string& name) { return tempBase() + "/" + name; }

// A new private folder there whose name begins with the prefix; empty when none could be made.
inline std::string makeTempFolder(const std::string& prefix) {
    std::string pattern = tempPath(prefix + "XXXXXX");
    return mkdtemp(&pattern[0]) ? pattern : std::string();
}
