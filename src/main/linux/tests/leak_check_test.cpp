// The leak check sees our code under SDL's callbacks, with the suppressions
// of tools/lsan.supp: a block lost in a timer callback and one lost in the
// audio callback (SDL's threads, whose frames those cover) are each reported
// at exit. Built only with the sanitizers.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

std::atomic<bool> called{false};
char* volatile lost = nullptr;

void lose() {
    lost = new char[48];
    lost = nullptr;
}

Uint32 losingTimerCallback(Uint32, void*) {
    if (!called) lose();
    called = true;
    return 0;
}

void losingAudioCallback(void*, Uint8* stream, int len) {
    memset(stream, 0, size_t(len));
    if (!called) lose();
    called = true;
}

// Runs the callback once, then exits, when the leak check reports (setting
// up failed: 2 to 4).
void loseUnder(bool timer) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(timer ? SDL_INIT_TIMER : SDL_INIT_AUDIO) != 0) exit(2);
    SDL_AudioSpec want = {};
    want.freq = 22050;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 512;
    want.callback = losingAudioCallback;
    if (timer ? !SDL_AddTimer(10, losingTimerCallback, nullptr) : SDL_OpenAudio(&want, nullptr) != 0) exit(3);
    if (!timer) SDL_PauseAudio(0);
    for (int i = 0; i < 60000 && !called; ++i) usleep(1000);
    SDL_Quit();
    exit(called ? 0 : 4);
}

TEST(LeakCheckDeathTest, SeesALeakUnderAnSdlTimerOrAudioCallback) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The sanitizers' exit status, with the callback in the leak's stack.
    EXPECT_EXIT(loseUnder(true), testing::ExitedWithCode(1), "LeakSanitizer.*losingTimerCallback");
    EXPECT_EXIT(loseUnder(false), testing::ExitedWithCode(1), "LeakSanitizer.*losingAudioCallback");
}

} // namespace
