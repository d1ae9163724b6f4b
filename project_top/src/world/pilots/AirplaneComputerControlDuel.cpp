#include "AirplaneComputerControlDuel.h"

#include "render/Camera.h"
#include "core/Context.h"
#include "core/Plim.h"
#include "util/Rect.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const float CHASE_MIN = 2.0f, CHASE_RANGE = 3.0f;
const float CLOSE = 256.0f, FAR_RANGE = 768.0f, FAR_LOSS = 0.9f;
const float FIRST_CHASE_MIN = 1.0f, FIRST_CHASE_RANGE = 2.0f;

float clamp01(float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; }
} // namespace

AirplaneComputerControlDuel::AirplaneComputerControlDuel(int owner)
    : AirplaneComputerControl(owner), chaseTime(CHASE_MIN + CHASE_RANGE * World::fraction()) {
    const float r = World::fraction();
    aiState.setState(AI_ATTACK, FIRST_CHASE_MIN + FIRST_CHASE_RANGE * r);
}

AirplaneComputerControlDuel::~AirplaneComputerControlDuel() {}

float AirplaneComputerControlDuel::skill() {
    GameController* game = GameController::current();
    return game ? game->aiSkill : 0.0f;
}

void AirplaneComputerControlDuel::scoreVehicle() {
    Vehicle* opponent = GameController::currentVehicle(1 - owner);
    if (!opponent || !opponent->isActive()) {
        vehicleTarget.set(nullptr);
        vehicleScore = -1.0f;
        return;
    }
    const float toOpponent = std::atan2(opponent->position.y - position.y, opponent->position.x - position.x);
    const float a = std::fabs(angleDelta(opponent->heading, toOpponent));
    const float d = std::hypot(opponent->position.x - position.x, opponent->position.y - position.y);
    vehicleTarget.set(opponent);
    vehicleScore = (1.0f - std::fmin(a / PI, 1.0f)) * (1.0f - FAR_LOSS * clamp01((d - CLOSE) / FAR_RANGE));
}

void AirplaneComputerControlDuel::pickViewWaypoint() {
    const Context* context = PLIM->currentContext;
    if (!context || !context->camera) return;
    Rect view = context->camera->getVisibleRect(0.0f);
    if (view.bottom < 0.0f) view.bottom = 0.0f;
    const float y = view.bottom + (view.top - view.bottom) * World::fraction();
    const float x = view.left + (view.right - view.left) * World::fraction();
    waypoint.position = V3(x, y, 0.0f);
}

void AirplaneComputerControlDuel::startChase() {
    aiState.setState(AI_ATTACK, 0.0, true);
    nextFireTime = 0.0;
    chaseTime = CHASE_MIN + CHASE_RANGE * World::fraction();
}

void AirplaneComputerControlDuel::readControls() {
    const double time = now();
    float best = -1.0f;
    scoreVehicle();
    if (vehicleTarget) {
        vehicleScore *= offensivePreference;
        best = std::fmax(best, vehicleScore);
    }
    scanThreats(GameController::LAYER_BULLETS);
    if (threat) {
        threatScore *= defensivePreference;
        best = std::fmax(best, threatScore);
    }
    scanBonuses();
    if (bonusTarget) {
        bonusScore *= bonusPreference;
        best = std::fmax(best, bonusScore);
    }
    checkSea();
    const float a = aimAt(target, true, 0.0f, 0.0f, 0.0f);

    // Slower in a tight counter-clockwise turn.
    const float k = clamp01(a / (PI / 2.0f));
    const float wanted = maxSpeed + (minSpeed - maxSpeed) * k;
    bIncrease = speed < wanted;
    bDecrease = speed > wanted;

    const float factor = 3.0f - 2.5f * skill();
    if (nextFireTime <= time) {
        if (nextFireTime > 0.0) pullTrigger();
        const double g = 2.0 * std::fmin(std::fabs(a) / PI, 1.0f);
        double delay = (g + 1.0) * factor;
        if (aiState.state == AI_CRUISE) delay *= 2.0;
        nextFireTime = time + delay * World::fraction();
    }
    applyOverrides(best);

    aiState.advance(time, frameTime());
    const float d = distanceToTarget();
    if (aiState.state == AI_ATTACK) {
        Vehicle* opponent = GameController::currentVehicle(1 - owner);
        if (!opponent || !opponent->isActive() || opponent->energy <= 0.0f || aiState.timeInState > chaseTime) {
            aiState.setState(AI_CRUISE, 0.0, true);
            chaseTime = (CHASE_MIN + CHASE_RANGE * World::fraction()) * factor;
            pickViewWaypoint();
            return;
        }
        waypoint.position = opponent->position;
    } else if (aiState.state == AI_BONUS) {
        if (d < REACHED) {
            pullTrigger();
            startChase();
        }
    } else {
        if (d < REACHED) pickViewWaypoint();
        if (aiState.timeInState > chaseTime) startChase();
    }
}

void AirplaneComputerControlDuel::render() {
    Airplane::render();
    if (isActive()) drawDebug("vehicle %.3lf", vehicleScore);
}
