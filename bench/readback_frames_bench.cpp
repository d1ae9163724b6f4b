// Read-backs of a fixed set of frames of the real screens and scenes (under
// Xvfb): the title scene, the main menu, the screensaver, an invasion and a
// war's battles, each grabbed right after the screen drew itself. Every frame
// is written raw (RGBA, top row first) into the folder given as the first
// argument, and its checksum printed, so two builds' folders can be compared
// byte for byte (cmp) to show that a renderer change left the pixels alone.
//
//   readback_frames_bench <folder>
#include "AimingCannon.h"
#include "ContextManager.h"
#include "BenchSaves.h"
#include "MatchHarness.h"
#include "MemoryImageFile.h"
#include "Plim.h"
#include "PlimGraphics.h"
#include "app/MyContextMain.h"
#include "modes/ContextLogo.h"
#include "modes/GameControllerCampaign.h"
#include "CappedWar.h"
#include "modes/GameControllerFFA.h"
#include "modes/GameControllerScreenSaver.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

namespace {

std::string folder;
std::string scene;
std::set<int> wanted;
int frameIndex = 0;

uint64_t fnv1a(const uint8_t* data, size_t size) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

void grabIfWanted() {
    const int index = frameIndex++;
    if (!wanted.count(index)) return;
    MemoryImageFile* image = PLIM->graphics->grabFrameBuffer(nullptr);
    const size_t size = size_t(image->width) * size_t(image->height) * 4;
    const std::string name = folder + "/" + scene + "-" + std::to_string(index) + ".rgba";
    if (FILE* f = fopen(name.c_str(), "wb")) {
        fwrite(image->pImageData, 1, size, f);
        fclose(f);
    }
    printf("%-12s frame %5d  %dx%d  %016llx\n", scene.c_str(), index, image->width, image->height,
           (unsigned long long)fnv1a(image->pImageData, size));
    delete image;
}

// The screen, grabbed after it drew itself (and before the pointer and fades).
template <typename Screen>
class Grabbed : public Screen {
public:
    using Screen::Screen;
    void renderContents() override {
        Screen::renderContents();
        grabIfWanted();
    }
};

void begin(const char* name, std::set<int> frames) {
    scene = name;
    wanted = frames;
    frameIndex = 0;
}

void runScreen(MatchHarness& run, Context* screen, int frames) {
    run.app->contextManager->push(screen);
    run.steps(frames);
    screen->bDone = true;
    run.step();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: readback_frames_bench <folder>\n");
        return 2;
    }
    folder = argv[1];
    MatchSettings settings;
    settings.draw = true; // the frames must reach the pixels read back
    MatchHarness run(settings);

    begin("title", {40, 200, 500, 1000, 2000, 3000});
    runScreen(run, new Grabbed<ContextLogo>(), 3001);
    begin("mainmenu", {5, 60, 200});
    runScreen(run, new Grabbed<MyContextMain>(), 201);

    begin("screensaver", {100, 400, 800, 1500, 2500});
    run.start([] { return new Grabbed<GameControllerScreenSaver>(); });
    run.steps(2501);
    run.finishMatch();

    SaveData& saved = run.app->saveData;
    BenchSaves::solo(saved);
    begin("invasion", {50, 300, 900, 1800});
    GameController* invasion = run.start([] { return new Grabbed<GameControllerCampaign>(); });
    AimingCannon* bots[2];
    AimingCannon::install(invasion, bots);
    run.steps(1801);
    run.finishMatch();

    // A war of two computer players with the soak benchmark's mutators: the
    // first day's sunrise and noon battles.
    BenchSaves::soakWar(saved, 2);
    begin("war", {50, 400, 1200, 2400, 4000, 6000});
    run.start([]() -> GameController* {
        auto* war = new Grabbed<CappedWar<GameControllerFFA>>(60.0);
        war->computerPlayers = GameController::PLAYERS;
        return war;
    });
    run.steps(6001);
    run.finishMatch();
    return 0;
}
