#pragma once
// A bare engine with what the audio parts need: log, clock, file manager on
// the disk, the user settings file of an EngineTestFolder, and the audio
// device. The device runs on SDL's disk driver, which writes every buffer the
// mixer fills to a file in the folder. No window is opened.
#include <cstdint>
#include <string>
#include <vector>

class EngineTestFolder;
class Plim;

class AudioTestEngine {
public:
    // The settings file must have been written. withAudio false leaves the
    // audio part to the test.
    AudioTestEngine(const EngineTestFolder& folder, bool withAudio = true);
    // Deletes the audio part (when there is one) and the other parts.
    ~AudioTestEngine();
    AudioTestEngine(const AudioTestEngine&) = delete;
    AudioTestEngine& operator=(const AudioTestEngine&) = delete;

    void startAudio();
    // Deletes the audio part and closes the device, so the output is complete.
    void stopAudio();
    // Closes the device but keeps the audio part and its mixer: no callback
    // runs any more and the test mixes by hand.
    void detachDevice();
    // Waits (in real time, up to a few seconds) until the device has written
    // at least bytes bytes.
    bool waitForOutput(long bytes);

    // The device output as signed 16-bit little-endian samples.
    std::vector<int16_t> output16() const;
    long outputSize() const;

    std::string outputPath;
    Plim* engine = nullptr;
};
