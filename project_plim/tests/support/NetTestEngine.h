#pragma once
// A bare engine for network tests: log, clock on a manual tick source, the
// user settings file and the network part, in a throw-away folder. With
// emulate false the settings say bEmulateLocalhost=No, so 127.0.0.1 means a
// real socket.
#include "EngineTestFolder.h"
#include "LogText.h"
#include "ManualTickSource.h"

#include <string>

class Plim;

class NetTestEngine {
public:
    explicit NetTestEngine(bool emulate = true);
    ~NetTestEngine();
    NetTestEngine(const NetTestEngine&) = delete;
    NetTestEngine& operator=(const NetTestEngine&) = delete;

    void advance(double seconds);
    LogText log() const;
    // Deletes the engine (the network part in its shutdown step) and returns the log.
    LogText close();

    EngineTestFolder folder;
    ManualTickSource ticks{100000};
    Plim* engine = nullptr;
};
