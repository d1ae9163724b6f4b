#include "ContextLogo.h"

#include "render/Camera.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "app/ContextManager.h"
#include "app/Global.h"
#include "widgets/Logo.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "RenderableText.h"
#include "widgets/RadialFader.h"
#include "render/Skin.h"
#include "render/Texture.h"
#include "app/MyGlobal.h"
#include "Messenger.h"
#include "PlayerData.h"
#include "PlayerHUD.h"
#include "world/CameraStatic.h"
#include "world/Cannon.h"
#include "world/GameObject.h"
#include "world/Palm.h"
#include "world/World.h"
#include "world/weapons/Bomb.h"
#include "world/weapons/Weapon.h"

#include <algorithm>
#include <cmath>

namespace {

const int LOGO_PICTURE = 1;
const double LOGO_IN = 3.0;
const double LOGO_OUT = 6.0;
const double LOGO_GONE = 7.0;
const double CAMERA_BLEND = 10.0;
const int DEFAULT_SCREEN_HEIGHT = 480;

enum EventKind { EVENT_CAMERA, EVENT_MESSAGE, EVENT_BOMB, EVENT_FADE_OUT, EVENT_END };
struct StoryEvent {
    double at;
    EventKind kind;
    const char* text;
    double seconds;
};
// In time order, so that a long frame runs every event it passes in turn.
const StoryEvent STORY[] = {{6.0, EVENT_CAMERA, nullptr, 0.0},
                            {10.0, EVENT_MESSAGE, "deep in the south pacific...", 3.0},
                            {13.0, EVENT_MESSAGE, "everything is peaceful", 3.0},
                            {16.0, EVENT_MESSAGE, "until...", 3.0},
                            {ContextLogo::BOMB_TIME, EVENT_BOMB, nullptr, 0.0},
                            {23.0, EVENT_MESSAGE, "uh-oh!", 2.0},
                            {25.0, EVENT_MESSAGE, "this means war!", 3.0},
                            {30.0, EVENT_FADE_OUT, nullptr, 0.0},
                            {ContextLogo::DURATION, EVENT_END, nullptr, 0.0}};

MyGlobal* app() { return static_cast<MyGlobal*>(gGlobal); }
int screenHeight() {
    const int h = PLIM->graphics ? PLIM->graphics->screenHeight : 0;
    return h > 0 ? h : DEFAULT_SCREEN_HEIGHT;
}

GameObject* object(BasicLink* node) { return static_cast<GameObject*>(node); }

} // namespace

ContextLogo::ContextLogo() {
    playerCount = 1;
    bLimitBombRange = false;
    bEscapeAsksQuit = false;
    bEscapeCloses = true;
    bBackKeysClose = true;

    logo = new Renderable();
    const V3 at(0.0f, 0.0f, 0.0f);
    logo->setup(World::frame(World::frames("logo"), LOGO_PICTURE), &at, nullptr, nullptr);
    logo->color.a = 0;
    hud->addChild(logo);
    subtitle = Logo::newSubtitle();
    hud->addChild(subtitle);
}

ContextLogo::~ContextLogo() {}

V3 ContextLogo::bombStart(float x, float y, float dropHeight) {
    const float fall = std::sqrt(2.0f * dropHeight / BOMB_GRAVITY);
    return V3(x - BOMB_SPEED * fall, y + dropHeight, 0.0f);
}

void ContextLogo::onActivate(bool firstTime) {
    GameController::onActivate(firstTime);
    app()->currentController = this;
    if (bSetBuilt) return;
    bSetBuilt = true;
    buildSet();
}

void ContextLogo::buildSet() {
    addIsland(0, 0.0f, 1, false);

    for (int i = 0; i < PLAYERS; ++i) {
        Cannon* cannon = new Cannon(i);
        cannon->position = V3(-HIDDEN_X, 0.0f, 0.0f);
        cannon->updateVisuals();
        cannon->bControlsEnabled = false;
        BasicLink::deleteIfSet(cannon->weapon);
        cannon->weapon = nullptr;
        layers[LAYER_CANNONS]->addChild(cannon);
        playerData[i]->pVehicle.set(cannon);
        playerHud[i]->bShowFinder = false;
    }

    placeOpeningView();
    // Fully closed; the screen stack opens it on activation.
    if (RadialFader* fader = gGlobal->contextManager->fader) fader->value = fader->target = 1.0f;
}

void ContextLogo::onDeactivate(bool removed) {
    GameController::onDeactivate(removed);
    if (!removed || !PLIM->input) return;
    // The input counts y upwards: the top right corner.
    PLIM->input->mousePosition[0] = float(Camera::fovWidth()) - POINTER_INSET_X;
    PLIM->input->mousePosition[1] = float(Camera::fovHeight()) - POINTER_INSET_Y;
}

bool ContextLogo::reached(double at) const { return time >= at && storyTime < at; }

void ContextLogo::updateRules() {
    const double t = time;
    if (t > LOGO_IN && t <= LOGO_OUT) {
        logo->color.a = uint8_t(255.0 * std::clamp(t - LOGO_IN, 0.0, 1.0));
    } else if (t > LOGO_OUT && t <= LOGO_GONE) {
        logo->color.a = uint8_t(255.0 - 255.0 * std::clamp(t - LOGO_OUT, 0.0, 1.0));
    } else if (t > LOGO_GONE && logo->position.x != HIDDEN_X) {
        logo->position = V3(HIDDEN_X, 0.0f, 0.0f);
        logo->updateVisuals();
    }
    Logo::placeSubtitle(subtitle, *logo);

    for (const StoryEvent& event : STORY) {
        if (reached(event.at)) runEvent(event.kind, event.text, event.seconds);
    }
    storyTime = time;
}

void ContextLogo::runEvent(int kind, const char* text, double seconds) {
    switch (kind) {
    case EVENT_CAMERA: {
        CameraStatic* camera = new CameraStatic(0.0f, float(Camera::fovHeight() / 2) - 57.0f, -0.5f * float(Camera::fovWidth()));
        camera->blendTime = CAMERA_BLEND;
        scene->getCameraBlender()->addChild(camera);
        break;
    }
    case EVENT_MESSAGE:
        messenger->setMessage(text, seconds);
        break;
    case EVENT_BOMB:
        dropBomb();
        break;
    case EVENT_FADE_OUT:
        fadeTo(1.0f);
        break;
    default:
        bDone = true;
        break;
    }
}

void ContextLogo::dropBomb() {
    GameObject* palm = playerData[0]->randomAlivePalm();
    if (!palm) return;
    const V3 from = bombStart(palm->position.x, palm->position.y, float(screenHeight()));
    layers[LAYER_BOMBS]->addChild(new Bomb(1, from.x, from.y, from.z, BOMB_SPEED, 0.0f, 0.0f));
    World::playAt("bombWhistle", from);
}

void ContextLogo::checkCollisions() {
    for (BasicLink* a = layers[LAYER_BOMBS]->firstChild; a; a = a->next) {
        if (!BasicLink::isLive(a)) continue;
        for (BasicLink* b = layers[LAYER_PALMS]->firstChild; b; b = b->next) {
            if (!BasicLink::isLive(b) || object(b)->state != Palm::STATE_STANDING) continue;
            if (!object(a)->collide(object(b))) continue;
            object(a)->onCollision(object(b));
            object(b)->onCollision(object(a));
            break;
        }
    }
}
