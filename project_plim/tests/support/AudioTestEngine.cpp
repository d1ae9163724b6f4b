#include "AudioTestEngine.h"

#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"

#include <SDL.h>
#include <cstdlib>
#include <sys/stat.h>

AudioTestEngine::AudioTestEngine(const EngineTestFolder& folder, bool withAudio)
    : outputPath(folder.root + "/audio.raw") {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", outputPath.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    engine = BareEngine::withSettings(false);
    if (withAudio) startAudio();
}

AudioTestEngine::~AudioTestEngine() {
    stopAudio();
    BareEngine::shutDown(engine);
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
