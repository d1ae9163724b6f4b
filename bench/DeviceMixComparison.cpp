#include "DeviceMixComparison.h"

#include "BuildFolder.h"

#include "files/FileManager.h"
#include "files/MemoryFile.h"
#include "audio/Mixer.h"
#include "audio/MixerOGGstatic.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "files/WadDirectory.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int RATE = 22050;           // the game's default device
const int BUFFERS_MEASURED = 40;   // after BUFFERS_SKIPPED to settle
const int BUFFERS_SKIPPED = 3;

double threadCpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// Thread CPU time between the ends of consecutive buffers, on the audio thread.
struct BufferClock {
    void bufferDone() {
        double now = threadCpuSeconds();
        int n = buffers.fetch_add(1);
        if (n >= BUFFERS_SKIPPED && n < BUFFERS_SKIPPED + BUFFERS_MEASURED) total += now - last;
        last = now;
    }
    bool finished() const { return buffers.load() > BUFFERS_SKIPPED + BUFFERS_MEASURED; }
    double perBuffer() const { return total / BUFFERS_MEASURED; }

    std::atomic<int> buffers{0};
    double last = 0.0;
    double total = 0.0;
};

BufferClock* activeClock = nullptr;
Mixer* activeMixer = nullptr;

void ourCallback(void*, Uint8* stream, int len) {
    activeMixer->mix(stream, len);
    activeClock->bufferDone();
}

void sdlMixerPostMix(void*, Uint8*, int) { activeClock->bufferDone(); }

void waitFor(const BufferClock& clock) {
    while (!clock.finished()) SDL_Delay(10);
}

float panOf(int voice) { return float(voice % 3) - 1.0f; }

double mixOurs(const std::vector<MixerOGGstatic*>& effects, int voices, int frames) {
    SDL_AudioSpec desired{}, obtained{};
    desired.freq = RATE;
    desired.format = AUDIO_S16LSB;
    desired.channels = 2;
    desired.samples = Uint16(frames);
    desired.callback = ourCallback;
    if (SDL_OpenAudio(&desired, &obtained) != 0) return -1.0;
    Mixer mixer(obtained);
    for (int i = 0; i < voices; ++i) {
        int id = mixer.play(effects[size_t(i) % effects.size()], false);
        mixer.setPan(id, panOf(i), 0.0);
        mixer.startChannel(id);
    }
    BufferClock clock;
    activeClock = &clock;
    activeMixer = &mixer;
    SDL_PauseAudio(0);
    waitFor(clock);
    SDL_CloseAudio();
    mixer.stopAll();
    return clock.perBuffer();
}

double mixSdlMixer(const std::vector<MemoryFile*>& files, int voices, int frames) {
    if (Mix_OpenAudio(RATE, AUDIO_S16LSB, 2, frames) != 0) return -1.0;
    std::vector<Mix_Chunk*> chunks;
    for (MemoryFile* f : files) chunks.push_back(Mix_LoadWAV_RW(SDL_RWFromConstMem(f->data, f->size), 1));
    Mix_AllocateChannels(voices);
    BufferClock clock;
    activeClock = &clock;
    Mix_SetPostMix(sdlMixerPostMix, nullptr);
    for (int i = 0; i < voices; ++i) {
        Mix_Chunk* chunk = chunks[size_t(i) % chunks.size()];
        if (!chunk) continue;
        // Our pan law at -1, 0 and 1: one side silent, or both at full.
        const float pan = panOf(i);
        if (pan != 0.0f) Mix_SetPanning(i, pan < 0 ? 255 : 0, pan < 0 ? 0 : 255);
        Mix_PlayChannel(i, chunk, -1);
    }
    waitFor(clock);
    Mix_HaltChannel(-1);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    for (Mix_Chunk* c : chunks)
        if (c) Mix_FreeChunk(c);
    return clock.perBuffer();
}

// The build's archive, next to this program's folder.
std::string archivePath() { return buildFolder() + "/Corvana2demo.dat"; }

} // namespace

int compareDeviceMixing() {
    const std::string archive = archivePath();
    if (access(archive.c_str(), R_OK) != 0) {
        printf("No data archive at %s: device comparison skipped.\n", archive.c_str());
        return 0;
    }
    setenv("SDL_AUDIODRIVER", getenv("SDL_AUDIODRIVER") ? getenv("SDL_AUDIODRIVER") : "dummy", 1);
    Plim* engine = new Plim(Plim::Bare{});
    engine->fileManager = new FileManager();
    engine->fileManager->useWad(archive.c_str());
    std::vector<WadEntry> records;
    engine->fileManager->readWadDirectory(archive.c_str(), records);

    // Every effect of the game; the music streams are left out.
    std::vector<MemoryFile*> files;
    std::vector<MixerOGGstatic*> effects;
    for (const WadEntry& e : records) {
        const UString& name = e.fileName;
        if (name.find("sfx/") != 0 || name.find(".ogg") < 0 || name.find("/music/") >= 0) continue;
        files.push_back(new MemoryFile(name));
        effects.push_back(new MixerOGGstatic(files.back(), true, 64));
    }
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        printf("SDL audio: %s\n", SDL_GetError());
        return 1;
    }
    bool clamped = false;
    const int frames = PlimAudio::bufferFrames(RATE, 0.1, &clamped);
    printf("\nAudio thread CPU per buffer of %d frames at %d Hz (%s driver), %zu game effects:\n", frames,
           RATE, getenv("SDL_AUDIODRIVER"), effects.size());
    printf("  voices   ours (us)   SDL_mixer (us)   ratio\n");
    int status = 0;
    for (int voices : {8, 32, 64}) {
        double ours = mixOurs(effects, voices, frames);
        double theirs = mixSdlMixer(files, voices, frames);
        if (ours < 0 || theirs <= 0) {
            printf("  %6d   could not open the audio device: %s\n", voices, SDL_GetError());
            status = 1;
            continue;
        }
        printf("  %6d   %9.1f   %14.1f   %5.2f\n", voices, 1e6 * ours, 1e6 * theirs, ours / theirs);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    for (MixerOGGstatic* e : effects) delete e;
    for (MemoryFile* f : files) delete f;
    delete engine;
    PLIM = nullptr;
    return status;
}
