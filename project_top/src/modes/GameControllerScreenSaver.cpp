#include "GameControllerScreenSaver.h"

#include "render/Camera.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "app/ContextManager.h"
#include "app/Formatters.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "util/Random.h"
#include "render/Renderable.h"
#include "render/Skin.h"
#include "render/Texture.h"
#include "PlayerData.h"
#include "world/CameraStatic.h"
#include "world/Vehicle.h"
#include "world/World.h"
#include "world/effects/FireworkFuse.h"

#include <cmath>

namespace {

const float DRIVE_RAISE = 57.0f;
const float DRIVE_SIDE = 200.0f;
const int SPEED_BASE = 128;

} // namespace

GameControllerScreenSaver::GameControllerScreenSaver() { palmCount = PALMS; }

GameControllerScreenSaver::~GameControllerScreenSaver() {}

void GameControllerScreenSaver::onEnter() {
    // Not the base set-up: speed, players and music stay as the menus left them.
    addIsland(0, 0.0f, palmCount, false)->updateVisuals();
    placeOpeningView();
    fadeIn();
    nextLaunchTime = time + FIRST_LAUNCH;
    setState(STATE_DRIVE, FIRST_DRIVE);
}

void GameControllerScreenSaver::newDrive() {
    const uint32_t a = Random::next();
    const uint32_t b = Random::next();
    const int zoom = 1 + int(b % 3);
    const int w = Camera::fovWidth();
    CameraStatic* camera = new CameraStatic(float((int(a % 3) - 1) * zoom) * DRIVE_SIDE,
                                            (float(Camera::fovHeight() / 2) - DRIVE_RAISE) * float(zoom),
                                            -float(zoom * w / 2));
    camera->blendTime = DRIVE_BLEND;
    scene->getCameraBlender()->addChild(camera);
    bRapidBurst = (Random::next() & 1) == 0;
    bShortPause = (Random::next() & 3) == 0;
}

void GameControllerScreenSaver::onStateChange() {
    switch (state) {
    case STATE_DRIVE:
        newDrive();
        StateBase::setState(STATE_DRIVE, DRIVE_TIME, true);
        break;
    case STATE_DONE:
        bDone = true;
        break;
    default:
        break;
    }
}

void GameControllerScreenSaver::launch() {
    Renderable* island = playerData[0]->pIsland.get();
    V3 from = island ? island->position : V3(0.0f, 0.0f, 0.0f);
    from.y += LAUNCH_HEIGHT;

    Camera* camera = scene->camera;
    const Rect view = camera->getVisibleRect(0.0f);
    const float toRight = std::atan2(view.top - from.y, view.right - from.x);
    const float toLeft = std::atan2(view.top - from.y, view.left - from.x);
    const float direction = toRight + World::fraction() * (toLeft - toRight);
    const float speed =
        (-camera->position.z / float(Camera::fovWidth() / 2)) * float(SPEED_BASE + Random::next() % SPEED_BASE);
    const V3 velocity(speed * std::cos(direction), speed * std::sin(direction), 0.0f);
    layers[LAYER_FIREWORKS]->addChild(
        new FireworkFuse(from, velocity, FUSE_MIN, FUSE_MAX, UColor(Formatters::randomColour())));
    World::playAt("fireworkLaunch", from);

    --shotsLeft;
    const float f = World::fraction();
    if (shotsLeft > 0) {
        nextLaunchTime = time + (bRapidBurst ? RAPID_GAP : 0.1 + 0.25 * f);
        return;
    }
    shotsLeft = 1 + int(Random::next() % uint32_t(BURST_PER_DETAIL * World::detail() + BURST_PER_DETAIL));
    nextLaunchTime = time + (bShortPause ? SHORT_PAUSE : 2.0 + 2.0 * f);
}

bool GameControllerScreenSaver::exitPressed() const {
    PlimInput* input = PLIM->input;
    if (!input) return false;
    const int32_t* fire = gGlobal->saveData.keys[Vehicle::ACTION_FIRE];
    const bool click = input->buttonsNow[0] && !input->buttonsPrevious[0];
    return click || input->isKeyPressed(fire[0]) || input->isKeyPressed(fire[1]);
}

void GameControllerScreenSaver::updateRules() {
    if (time > nextLaunchTime) launch();
    if (state == STATE_DRIVE && exitPressed()) {
        // Asking again for the pending close is ignored: a second press
        // changes nothing.
        fadeOutTo(STATE_DONE, CLOSE_TIME);
    }
}
