#include "CountdownClock.h"

#include "render/Camera.h"
#include "ContextBlender.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "render/Skin.h"
#include "app/MyGlobal.h"
#include "GameController.h"
#include "world/World.h"

namespace {

const int FRAME_PICTURE = 0;
const int FILL_PICTURE = 1;

Quad* barPicture(int index) { return static_cast<Quad*>(World::frame(World::frames("gui-game-progressBar"), index)); }

} // namespace

CountdownClock::CountdownClock() {
    const float y = BOTTOM_RAISE - float(Camera::fovHeight() / 2);
    const V3 at(0.0f, y, 0.0f);
    setup(barPicture(FRAME_PICTURE), &at, nullptr, nullptr);
    barQuad = new Quad();
    MyGlobal::setProgressSkin(barQuad, barPicture(FILL_PICTURE), 1.0f);
    bar = new Renderable();
    const V3 barAt(BAR_X, y, 0.0f);
    bar->setup(barQuad, &barAt, nullptr, nullptr);
}

CountdownClock::~CountdownClock() {
    bar->deleteMe();
    barQuad->deleteMe();
}

double CountdownClock::gameTimeScale() {
    GameController* game = GameController::current();
    return game && game->scene ? game->scene->timeScale : 1.0;
}

void CountdownClock::start(float seconds) {
    duration = timeLeft = seconds;
    expired = false;
    // A hitch at the end of the last round may have left a flag set.
    for (bool& flag : secondFlags) flag = false;
    running = true;
}

void CountdownClock::tick(double time, double dt) {
    Renderable::tick(time, dt);
    if (!running) return;
    const float step = float(dt * gameTimeScale());
    timeLeft -= step;
    for (int k = 1; k <= FLAGGED_SECONDS; ++k) secondFlags[k - 1] = timeLeft <= float(k) && float(k) < timeLeft + step;
    if (timeLeft < 0.0f) timeLeft = 0.0f;
    if (timeLeft == 0.0f) expired = true;
    MyGlobal::setProgressSkin(barQuad, barPicture(FILL_PICTURE), duration > 0.0f ? timeLeft / duration : 0.0f);
    bar->updateVisuals();
}

void CountdownClock::render() {
    if (!running) return;
    Renderable::render();
    bar->render();
}
