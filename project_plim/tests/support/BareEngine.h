#pragma once
// Bare engines for tests: the parts a test needs, started as the engine starts
// them, and one shutdown for whatever parts a test gave its engine.
class Plim;

class BareEngine {
public:
    // Log and a file manager that reads the disk.
    static Plim* withFiles();
    // Log, SDL video when asked for (a real window needs it), clock, a file
    // manager that reads the disk, and the user settings file of the user
    // folder (an EngineTestFolder's).
    static Plim* withSettings(bool withVideo);
    // Deletes every part the engine holds in the engine's shutdown order,
    // without saving the settings file; quits SDL, deletes the log and the
    // engine, and clears PLIM.
    static void shutDown(Plim* engine);
};
