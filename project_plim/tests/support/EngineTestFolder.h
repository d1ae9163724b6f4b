#pragma once
// A throw-away working folder for tests that start the real engine: the user
// data folder (U3_APP_DATA_PATH) lies inside it, the process changes into it,
// and SDL is pointed at the X server with the dummy audio driver. Helpers write
// the static settings file and a windowed settings file.
#include <string>

class EngineTestFolder {
public:
    EngineTestFolder();
    ~EngineTestFolder();
    EngineTestFolder(const EngineTestFolder&) = delete;
    EngineTestFolder& operator=(const EngineTestFolder&) = delete;

    // ./Corvana2demo.cfg.static with every key; omitKey leaves that key out.
    void writeStaticSettings(const char* omitKey = nullptr) const;
    // The user settings file: a window, no joystick, then extra lines (INI text).
    void writeUserSettings(const std::string& extra = std::string(), bool fullScreen = false) const;

    std::string userFolder() const;        // ends in "/"
    std::string userSettingsPath() const;  // <user folder>Corvana2demo.cfg
    std::string logPath() const;           // the run's log (user folder)
    std::string crashLogPath() const;

    static std::string readFile(const std::string& path);
    static bool exists(const std::string& path);
    static void writeFile(const std::string& path, const std::string& text);
    // Death tests only see standard error; the fatal path prints to standard output.
    static void routeStdoutToStderr();
    // For a death test's child: a write past bytes in any file fails with
    // EFBIG, as on a full disk, instead of killing the process.
    static void limitFileSize(long bytes);

    std::string root;

private:
    std::string previousFolder;
};
