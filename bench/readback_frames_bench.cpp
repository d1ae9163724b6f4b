// Read-backs of a fixed set of frames of the real screens and scenes (under
// Xvfb): the title scene, the main menu, the screensaver, an invasion, a
// war's battles and a zeppelin's burn and final blast, each grabbed right
// after the screen drew itself. Every frame is written raw (RGBA, top row
// first) into the folder given as the first argument, and its checksum
// printed, so two builds' folders can be compared byte for byte (cmp) to show
// that a renderer change left the pixels alone. Every quad that can be cut to
// the part of its picture that can show is (whatever that costs);
// --untrimmed draws every quad over its whole rectangle, to compare.
//
//   readback_frames_bench <folder> [--untrimmed]
#include "AimingCannon.h"
#include "app/ContextManager.h"
#include "BenchSaves.h"
#include "MatchHarness.h"
#include "render/MemoryImageFile.h"
#include "render/DrawBatch.h"
#include "EnemyScenarios.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "ZeppelinScenario.h"
#include "world/enemies/Zeppelin.h"
#include "app/MyContextMain.h"
#include "modes/ContextLogo.h"
#include "modes/GameControllerCampaign.h"
#include "CappedWar.h"
#include "modes/GameControllerFFA.h"
#include "modes/GameControllerScreenSaver.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
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
    if (argc < 2 || (argc > 2 && strcmp(argv[2], "--untrimmed") != 0)) {
        fprintf(stderr, "usage: readback_frames_bench <folder> [--untrimmed]\n");
        return 2;
    }
    folder = argv[1];
    Quad::trimming = argc == 2;
    DrawBatch::bandCost = 0.0;
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

    // The zeppelin's burn and blast: drawn from its last turret's loss on,
    // every 15th frame grabbed until 2 s after the blast.
    begin("zeppelin", {});
    MatchHarness::setDrawing(false);
    GameController* match = run.start([] {
        auto* made = new Grabbed<EnemyMatch>(1);
        made->build = ZeppelinScenario::build;
        return made;
    });
    auto zeppelin = [match]() -> Zeppelin* {
        for (BasicLink* l = match->layer(GameController::LAYER_ENEMIES)->firstChild; l; l = l->next)
            if (auto* z = dynamic_cast<Zeppelin*>(static_cast<PlimBase*>(l)))
                if (!l->bDestroyPending) return z;
        return nullptr;
    };
    for (int i = 0; i < 6000 && (!zeppelin() || zeppelin()->turretsLeft > 0); ++i) run.step();
    MatchHarness::setDrawing(true);
    const int burning = frameIndex;
    for (int i = 0; i < 800; i += 15) wanted.insert(burning + i);
    run.steps(800);
    run.finishMatch();
    printf("draws cut into scissor bands %lld, bands %lld\n", (long long)DrawBatch::bandedDraws,
           (long long)DrawBatch::bands);
    return 0;
}
