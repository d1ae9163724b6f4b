#include "CannonComputerControl.h"

#include "render/Camera.h"
#include "core/Context.h"
#include "FontQuad.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "app/MyGlobal.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

const float SHELL_GRAVITY = 128.0f;
const int DEBUG_PRINT_FLAGS = 0x88;
const UColor DEBUG_BEST(0xFF, 0x00, 0x00, 0xFF);
const UColor DEBUG_OTHER(0xFF, 0xFF, 0xFF, 0xFF);

float clamp01(float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; }
// 1 up to distance a, falling to 0 over the next b.
float falloff(float d, float a, float b) { return clamp01(1.0f - (d - a) / b); }
float distance(const V3 &p, const V3 &q) { return std::hypot(p.x - q.x, p.y - q.y); }
GameObject *object(BasicLink *link) { return static_cast<GameObject *>(static_cast<PlimBase *>(link)); }

} // namespace

CannonComputerControl::CannonComputerControl(int owner) : Cannon(owner) {}

CannonComputerControl::~CannonComputerControl() {}

void CannonComputerControl::scoreVehicle() {
    vehicleTarget = nullptr;
    vehicleScore = -1.0f;
    Vehicle *opponent = GameController::currentVehicle(1 - owner);
    if (!opponent || !BasicLink::isLive(opponent) || !opponent->isActive()) return;
    const float toUs = std::atan2(position.y - opponent->position.y, position.x - opponent->position.x);
    const float a = std::fabs(angleDelta(opponent->heading, toUs));
    const float d = distance(opponent->position, position);
    vehicleTarget = opponent;
    vehicleScore = (1.0f - std::fmin(a / PI, 1.0f)) * (1.0f - 0.9f * clamp01((d - 256.0f) / 768.0f));
}

void CannonComputerControl::scanBonuses() {
    bonusTarget = nullptr;
    bonusScore = -1.0f;
    PlimBase *balloons = World::layer(GameController::LAYER_BALLOONS);
    if (!balloons) return;
    for (BasicLink *link = balloons->firstChild; link; link = link->next) {
        GameObject *balloon = object(link);
        if (!BasicLink::isLive(link) || !balloon->bVisible) continue;
        const float score = falloff(distance(balloon->position, position), 256.0f, 768.0f);
        if (score > bonusScore) {
            bonusScore = score;
            bonusTarget = balloon;
        }
    }
}

void CannonComputerControl::scanBombs() {
    bombTarget = nullptr;
    bombScore = -1.0f;
    PlimBase *bombs = World::layer(GameController::LAYER_BOMBS);
    PlimBase *palms = World::layer(GameController::LAYER_PALMS);
    if (!bombs || !palms) return;
    for (BasicLink *link = bombs->firstChild; link; link = link->next) {
        GameObject *bomb = object(link);
        if (!BasicLink::isLive(link) || bomb->owner == owner) continue;
        float score = 0.0f;
        for (BasicLink *p = palms->firstChild; p; p = p->next) {
            GameObject *palm = object(p);
            if (!BasicLink::isLive(p) || palm->owner != owner || palm->state != PlayerData::PALM_STANDING) continue;
            const float x = bomb->xAtHeight(palm->boundsCenter.y);
            score = std::fmax(score, falloff(std::fabs(x - palm->boundsCenter.x), 64.0f, 64.0f));
        }
        if (score > bombScore) {
            bombScore = score;
            bombTarget = bomb;
        }
    }
}

void CannonComputerControl::readControls() {
    const Context *context = PLIM->currentContext;
    const double now = context ? context->time : 0.0;
    scanBombs();
    scoreVehicle();
    scanBonuses();

    // Ties keep the earlier kind: bomb, then aircraft, then balloon.
    GameObject *candidate = nullptr;
    float best = -1.0f;
    if (bombTarget) {
        bombScore *= defensivePreference;
        if (bombScore > best) {
            candidate = bombTarget;
            best = bombScore;
        }
    }
    if (vehicleTarget) {
        vehicleScore *= offensivePreference;
        if (vehicleScore > best) {
            candidate = vehicleTarget;
            best = vehicleScore;
        }
    }
    if (bonusTarget) {
        bonusScore *= bonusPreference;
        if (bonusScore > best) {
            candidate = bonusTarget;
            best = bonusScore;
        }
    }

    if (candidate) {
        GameController *game = GameController::current();
        const float gravity = game && game->bAutocannons ? 0.0f : -SHELL_GRAVITY;
        const float a = aimAt(candidate, true, 0.0f, gravity, 0.0f);
        if (nextFireTime <= now) {
            if (nextFireTime > 0.0) bFirePressed = bFireHeld = true;
            const double skill = game ? game->aiSkill : 0.0;
            const double r = double(World::fraction());
            nextFireTime = now + (3.0 - 2.5 * skill) * (1.0 + 2.0 * std::fmin(std::fabs(a) / PI, 1.0f)) * r;
        }
    }
    bIncrease = speed < maxSpeed;
}

void CannonComputerControl::render() {
    Cannon::render();
    GameController *game = GameController::current();
    const Context *context = PLIM->currentContext;
    if (!game || !game->bAiDebug || !gGlobal || !gGlobal->fontMedium || !context || !context->camera) return;
    const V3 at = context->camera->target;
    const float scores[3] = {bombScore, vehicleScore, bonusScore};
    const char *formats[3] = {"bomb %.3lf", "vehicle %.3lf", "bonus %.3lf"};
    for (int i = 0; i < 3; ++i) {
        const bool highest = scores[i] > scores[(i + 1) % 3] && scores[i] > scores[(i + 2) % 3];
        gGlobal->fontMedium->printAt(at.x, at.y - 20.0f * float(i + 1), at.z, highest ? DEBUG_BEST : DEBUG_OTHER,
                                     DEBUG_PRINT_FLAGS, formatString(formats[i], double(scores[i])));
    }
}
