#pragma once
// The whole engine in a window (run under Xvfb), started in a throw-away
// folder: the static settings, a windowed user settings file without joystick
// or mouse tracking, and the data files a benchmark writes there, which the
// engine reads from the disk rather than an archive.
#include "EngineTestFolder.h"

#include <functional>
#include <string>

class BenchEngine {
public:
    // extraSettings: more lines for the user settings file (INI text);
    // writeFiles runs in the folder before the engine starts.
    explicit BenchEngine(const std::string& extraSettings = std::string(),
                         const std::function<void()>& writeFiles = nullptr);
    // Deletes the engine, then the folder.
    ~BenchEngine();
    BenchEngine(const BenchEngine&) = delete;
    BenchEngine& operator=(const BenchEngine&) = delete;

private:
    EngineTestFolder folder;
};
