#pragma once
// A bare engine with the device parts started as the engine starts them: log,
// SDL video, clock, file manager, the user settings file, event manager,
// optionally input, then graphics (a real window) and the debug font. Meant
// for an EngineTestFolder whose user settings file has been written; runs
// under Xvfb. The clock reads whatever tick source is installed.
class Plim;

class DeviceTestEngine {
public:
    explicit DeviceTestEngine(bool withInput);
    // Takes the parts down in the engine's order and quits SDL.
    ~DeviceTestEngine();
    DeviceTestEngine(const DeviceTestEngine&) = delete;
    DeviceTestEngine& operator=(const DeviceTestEngine&) = delete;

    // Ends one frame: the frame timer's wait (the tick source decides how long
    // the frame was), then the input update when there is input.
    void endFrame();
    // Hands every queued SDL event to the input part.
    void pumpEvents();

    Plim* engine = nullptr;
};
