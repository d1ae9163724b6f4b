// The game's start-up on Linux: the checks that must pass before anything is
// written (data, display, user folder) and the lock on the user folder, then
// how crashes, signals and a lost display end the game, and the entry loop.
// A set-up problem ends the start in one line, status 1.
#include "StandardStreams.h"
#include "StartChecks.h"
#include "render/DisplayLink.h"
#include "core/ProcessSignals.h"
#include "files/UserFolderLock.h"
#include "app/WMhooks.h"

int main(int argc, char** argv) {
    reopenClosedStandardStreams();
    StartChecks checks(argc > 0 ? argv[0] : "corvana2demo");
    UserFolderLock lock;
    if (!checks.pass(lock)) return 1;
    ProcessSignals::install();
    DisplayLink::onLoss(endAfterLostDisplay);
    return SDL_main(argc, argv);
}
