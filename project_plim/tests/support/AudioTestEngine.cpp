#include "AudioTestEngine.h"

#include "EngineTestFolder.h"
#include "FileManager.h"
#include "Logger.h"
#include "MemoryIniFile.h"
#include "Plim.h"
#include "PlimAudio.h"
#include "PlimUtil.h"
#include "TimeKeeper.h"

#include <SDL.h>
#include <cstdlib>
#include <sys/stat.h>

AudioTestEngine::AudioTestEngine(const EngineTestFolder& folder, bool withAudio)
    : outputPath(folder.root + "/audio.raw") {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", outputPath.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    engine = new Plim(Plim::Bare{});
    engine->log = new Logger();
    engine->timeKeeper = new TimeKeeper();
    engine->fileManager = new FileManager();
    engine->fileManager->bUseWad = false;
    engine->config = new MemoryIniFile(getUserDataFolder(true) + PLIM_BUILD_NAME + ".cfg");
    if (withAudio) startAudio();
}

AudioTestEngine::~AudioTestEngine() {
    stopAudio();
    delete engine->config;
    engine->config = nullptr;
    delete engine->fileManager;
    engine->fileManager = nullptr;
    delete engine->timeKeeper;
    engine->timeKeeper = nullptr;
    delete engine->log;
    engine->log = nullptr;
    delete engine;
    PLIM = nullptr;
}

void AudioTestEngine::startAudio() { engine->audio = new PlimAudio(); }

void AudioTestEngine::stopAudio() {
    delete engine->audio;
    engine->audio = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioTestEngine::detachDevice() { SDL_CloseAudio(); }

bool AudioTestEngine::waitForOutput(long bytes) {
    for (int i = 0; i < 5000; ++i) {
        if (outputSize() >= bytes) return true;
        SDL_Delay(1);
    }
    return false;
}

long AudioTestEngine::outputSize() const {
    struct stat st;
    return stat(outputPath.c_str(), &st) == 0 ? long(st.st_size) : 0;
}

std::vector<int16_t> AudioTestEngine::output16() const {
    std::string bytes = EngineTestFolder::readFile(outputPath);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8));
    return samples;
}
