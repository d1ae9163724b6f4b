// The leak check, with the suppressions of tools/lsan.supp, reports a block
// our code loses under SDL's timer callback and one under its audio callback
// (SDL's threads, whose frames those stacks hold). Sanitizer trees only.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <unistd.h>

namespace {

std::atomic<bool> called{false};
char* volatile lost = nullptr;

void loseOnce() {
    if (!called.exchange(true)) lost = new char[48];
    lost = nullptr;
}

Uint32 losingTimerCallback(Uint32, void*) {
    loseOnce();
    return 0;
}

void losingAudioCallback(void*, Uint8* stream, int len) {
    memset(stream, 0, size_t(len));
    loseOnce();
}

// Exits once the callback has run (status 2 if it never does), when the leak check reports.
void loseUnder(bool timer) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_Init(timer ? SDL_INIT_TIMER : SDL_INIT_AUDIO);
    SDL_AudioSpec want = {22050, AUDIO_S16SYS, 2, 0, 512, 0, 0, losingAudioCallback, nullptr};
    if (timer)
        SDL_AddTimer(10, losingTimerCallback, nullptr);
    else if (SDL_OpenAudio(&want, nullptr) == 0)
        SDL_PauseAudio(0);
    for (int i = 0; i < 60000 && !called; ++i) usleep(1000);
    SDL_Quit();
    exit(called ? 0 : 2);
}

TEST(LeakCheckDeathTest, SeesALeakUnderAnSdlTimerOrAudioCallback) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The sanitizers' exit status, with the callback in the leak's stack.
    EXPECT_EXIT(loseUnder(true), testing::ExitedWithCode(1), "LeakSanitizer.*losingTimerCallback");
    EXPECT_EXIT(loseUnder(false), testing::ExitedWithCode(1), "LeakSanitizer.*losingAudioCallback");
}

} // namespace
