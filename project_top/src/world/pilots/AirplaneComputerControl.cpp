#include "AirplaneComputerControl.h"

#include "render/Camera.h"
#include "core/Context.h"
#include "FontQuad.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "util/Random.h"
#include "app/MyGlobal.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

const int WAYPOINT_START_Y = 150;
const int WAYPOINT_START_RANGE = 400;
const int CRUISE_RANGE = 256;
const float PALM_SCORE = 0.5f;
const float BONUS_NEAR = 128.0f, BONUS_FALLOFF = 384.0f;
const float THREAT_ANGLE = PI / 32.0f, THREAT_ANGLE_FALLOFF = 3.0f * PI / 32.0f;
const float THREAT_NEAR = 384.0f, THREAT_FALLOFF = 128.0f;
const float CLIMB_MIN = 100.0f, CLIMB_RANGE = 400.0f;
const float FIRE_NEAR = 64.0f, FIRE_RANGE = 320.0f;
const double FIRE_BASE_MAX = 2.95, FIRE_BASE_MIN = 0.05;
const int FONT_CENTRED = 4;
const int DEBUG_PRINT_FLAGS = 0x88;
const UColor DEBUG_BEST(0xFF, 0x00, 0x00, 0xFF);
const UColor DEBUG_OTHER(0xFF, 0xFF, 0xFF, 0xFF);

float distance(const V3& p, const V3& q) { return std::hypot(p.x - q.x, p.y - q.y); }
GameObject* object(BasicLink* link) { return static_cast<GameObject*>(static_cast<PlimBase*>(link)); }
int randomBelow(int n) { return int(uint32_t(Random::next()) % uint32_t(n)); }
float skill() {
    GameController* game = GameController::current();
    return game ? game->aiSkill : 0.0f;
}

} // namespace

float pilotFalloff(float d, float a, float b) {
    const float v = 1.0f - (d - a) / b;
    if (std::isnan(v) || v < 0.0f) return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

AirplaneComputerControl::AirplaneComputerControl(int owner) : Airplane(owner), target(&waypoint) {
    waypoint.position = V3(0.0f, float(WAYPOINT_START_Y + randomBelow(WAYPOINT_START_RANGE)), 0.0f);
    aiState.setState(AI_CRUISE);
}

AirplaneComputerControl::~AirplaneComputerControl() {}

double AirplaneComputerControl::now() {
    const Context* context = PLIM->currentContext;
    return context ? context->time : 0.0;
}

double AirplaneComputerControl::frameTime() {
    const Context* context = PLIM->currentContext;
    return context ? context->dt : 0.0;
}

float AirplaneComputerControl::distanceToTarget() const { return distance(target->position, position); }

void AirplaneComputerControl::findPalmTarget() {
    PlayerData* opponent = GameController::currentPlayer(1 - owner);
    GameObject* palm = opponent && opponent->numPalmsStanding > 0 ? opponent->randomAlivePalm() : nullptr;
    palmTarget.set(palm);
    palmScore = palm ? PALM_SCORE : -1.0f;
}

void AirplaneComputerControl::scanBonuses() {
    GameObject* best = nullptr;
    bonusScore = -1.0f;
    if (PlimBase* balloons = World::layer(GameController::LAYER_BALLOONS)) {
        for (BasicLink* link = balloons->firstChild; link; link = link->next) {
            if (!BasicLink::isLive(link)) continue;
            GameObject* balloon = object(link);
            const float score = pilotFalloff(distance(balloon->position, position), BONUS_NEAR, BONUS_FALLOFF);
            if (score > bonusScore) {
                bonusScore = score;
                best = balloon;
            }
        }
    }
    bonusTarget.set(best);
}

void AirplaneComputerControl::scanThreats(int layerIndex) {
    GameObject* best = nullptr;
    threatScore = -1.0f;
    if (PlimBase* shots = World::layer(layerIndex)) {
        for (BasicLink* link = shots->firstChild; link; link = link->next) {
            if (!BasicLink::isLive(link)) continue;
            GameObject* shot = object(link);
            if (shot->owner == owner) continue;
            // Where the plane will be when the shot gets there.
            const float shotSpeed = std::hypot(shot->velocity.x, shot->velocity.y);
            const float t = distance(shot->position, position) / shotSpeed;
            const V3 meet = position + velocity * t;
            const float toMeet = std::atan2(meet.y - shot->position.y, meet.x - shot->position.x);
            const float a = angleDelta(shot->heading, toMeet);
            const float score = pilotFalloff(std::fabs(a), THREAT_ANGLE, THREAT_ANGLE_FALLOFF) *
                                pilotFalloff(distance(meet, shot->position), THREAT_NEAR, THREAT_FALLOFF);
            if (score > threatScore) {
                threatScore = score;
                best = shot;
                // Turn away from the side the shot passes on.
                const float d2 = std::fabs(angleDelta(shot->heading, heading));
                dodgeDirection = (a <= 0.0f && d2 >= PI / 2.0f) || (a > 0.0f && d2 < PI / 2.0f) ? 1 : -1;
            }
        }
    }
    threat.set(best);
}

void AirplaneComputerControl::checkSea() {
    seaScore = -1.0f;
    if (velocity.y >= 0.0f) return;
    const float pullOut = (PI / 2.0f - std::fabs(1.5f * PI - heading)) / turnRate;
    if (position.y + pullOut * velocity.y >= 0.0f) return;
    seaTurn = heading >= 1.5f * PI ? 1 : -1;
    seaScore = 1.0f;
    if (target->position.y < position.y) target->position.y = position.y + SEA_PULL_RAISE;
}

void AirplaneComputerControl::pickWaypoint() {
    if (GameObject* palm = palmTarget) {
        aiState.setState(AI_ATTACK, 0.0, true);
        waypoint.position = V3(palm->boundsCenter.x, palm->boundsCenter.y + PALM_RAISE, palm->boundsCenter.z);
        nextFireTime = 0.0;
        return;
    }
    aiState.setState(AI_CRUISE, 0.0, true);
    const float x = position.x + float(randomBelow(CRUISE_RANGE));
    const float y = position.y + float(randomBelow(CRUISE_RANGE));
    waypoint.position = V3(x, std::fmax(0.0f, y), position.z);
}

void AirplaneComputerControl::applyOverrides(float best) {
    if (threatScore > 0.0f && threatScore == best) {
        bTurnRight = dodgeDirection < 0;
        bTurnLeft = dodgeDirection > 0;
    }
    GameObject* balloon = bonusTarget;
    if (balloon && bonusScore > 0.0f && aiState.state == AI_CRUISE && bonusScore == best) {
        aiState.setState(AI_BONUS, 0.0, true);
        waypoint.position = balloon->position;
        nextFireTime = 0.0;
    }
    if (seaScore > 0.0f) {
        bTurnRight = seaTurn < 0;
        bTurnLeft = seaTurn > 0;
    }
}

void AirplaneComputerControl::readControls() {
    const double time = now();
    float best = -1.0f;
    findPalmTarget();
    if (palmTarget) {
        palmScore *= offensivePreference;
        best = std::fmax(best, palmScore);
    }
    scanThreats(GameController::LAYER_CANNON_BALLS);
    if (threat) {
        threatScore *= defensivePreference;
        best = std::fmax(best, threatScore);
    }
    if (aiState.state == AI_CRUISE) scanBonuses();
    if (bonusTarget) {
        bonusScore *= bonusPreference;
        best = std::fmax(best, bonusScore);
    }
    checkSea();
    aimAt(target, false, 0.0f, 0.0f, 0.0f);
    applyOverrides(best);
    bIncrease = speed < maxSpeed;

    if (nextFireTime <= time) {
        if (nextFireTime > 0.0) pullTrigger();
        const double f = (distanceToTarget() - FIRE_NEAR) / FIRE_RANGE;
        double base = f < 0.0 ? 0.0 : f <= 1.0 ? f * FIRE_BASE_MAX : FIRE_BASE_MAX;
        base += FIRE_BASE_MIN;
        if (aiState.state == AI_ATTACK) base *= 0.5;
        nextFireTime = time + base * (3.0 - 2.5 * skill()) * World::fraction();
    }

    aiState.advance(time, frameTime());
    const float d = distanceToTarget();
    if (d >= REACHED) return;
    if (aiState.state == AI_ATTACK) {
        // Past the palm: climb away the way the plane flies.
        aiState.setState(AI_CRUISE, 0.0, true);
        const float length = CLIMB_MIN + CLIMB_RANGE * World::fraction();
        const float r = World::fraction();
        const float direction = velocity.x < 0.0f ? PI / 2.0f + PI / 2.0f * r : PI / 2.0f * r;
        waypoint.position.x = position.x + length * std::cos(direction);
        waypoint.position.y = position.y + length * std::sin(direction);
    } else if (aiState.state == AI_BONUS) {
        pickWaypoint();
        pullTrigger();
    } else {
        pickWaypoint();
    }
}

void AirplaneComputerControl::render() {
    Airplane::render();
    if (isActive()) drawDebug("palm %.3lf", palmScore);
}

void AirplaneComputerControl::drawDebug(const char* firstFormat, float firstScore) {
    GameController* game = GameController::current();
    const Context* context = PLIM->currentContext;
    if (!game || !game->bAiDebug || !gGlobal || !gGlobal->fontMedium || !gGlobal->fontLarge || !context ||
        !context->camera)
        return;
    gGlobal->fontLarge->printAt(target->position.x, target->position.y, target->position.z, DEBUG_OTHER,
                                FONT_CENTRED, "\"");
    const V3 at = context->camera->target;
    const float top = at.y - float(owner == 1 ? DEBUG_PLAYER_OFFSET : 0);
    const float scores[3] = {firstScore, threatScore, bonusScore};
    const char* formats[3] = {firstFormat, "projectile %.3lf", "bonus %.3lf"};
    for (int i = 0; i < 3; ++i) {
        const bool highest = scores[i] > scores[(i + 1) % 3] && scores[i] > scores[(i + 2) % 3];
        gGlobal->fontMedium->printAt(at.x, top - float(DEBUG_LINE_STEP * (i + 1)), at.z,
                                     highest ? DEBUG_BEST : DEBUG_OTHER, DEBUG_PRINT_FLAGS,
                                     formatString(formats[i], double(scores[i])));
    }
    if (seaScore > 0.0f)
        gGlobal->fontMedium->printAt(at.x, top - float(DEBUG_LINE_STEP * 4), at.z, DEBUG_BEST, DEBUG_PRINT_FLAGS,
                                     "water hazard");
}
