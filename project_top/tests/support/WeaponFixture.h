#pragma once
// Helpers of the weapon, beam and cannon tests: an armed cannon as a player's
// vehicle, the sounds logged since a point, and window pixels of the scene.
#include "HitTarget.h"
#include "MatchFixture.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "world/Cannon.h"
#include "world/weapons/Weapon.h"
#include "util/PlimMath.h"

#include <GL/gl.h>
#include <string>
#include <vector>

// A cannon of the player's at (0, -10), its vehicle, holding the weapon; no
// blaster regeneration.
inline Cannon* armedCannon(GameController* match, int player, Weapon* weapon, float heading = HALF_PI) {
    Cannon* cannon = new Cannon(player);
    cannon->position = V3(0.0f, -10.0f, 0.0f);
    cannon->heading = heading;
    cannon->updateVisuals();
    cannon->blasterRegeneration = 0.0f;
    cannon->weapon = weapon;
    match->layer(GameController::LAYER_CANNONS)->addChild(cannon);
    match->playerData[player]->pVehicle.set(cannon);
    return cannon;
}

// The names of the sounds logged from line from on.
inline std::vector<std::string> soundsSince(const MatchHarness* run, size_t from) {
    std::vector<std::string> names;
    const std::vector<std::string>& lines = run->log.lines;
    for (size_t i = from; i < lines.size(); ++i) {
        const size_t kind = lines[i].find("\tsound\t");
        if (kind == std::string::npos) continue;
        const size_t start = kind + 7;
        names.push_back(lines[i].substr(start, lines[i].find('\t', start) - start));
    }
    return names;
}

// The logged lines of a sound from line from on.
inline std::vector<std::string> soundLines(const MatchHarness* run, size_t from, const char* name) {
    std::vector<std::string> found;
    const std::string key = std::string("\tsound\t") + name + "\t";
    for (size_t i = from; i < run->log.lines.size(); ++i)
        if (run->log.lines[i].find(key) != std::string::npos) found.push_back(run->log.lines[i]);
    return found;
}

// The red, green and blue of the window pixel at world point (x, y) at depth
// 0 of the default camera, read back after a frame.
inline UColor scenePixel(float x, float y) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const float sx = float(viewport[2]) / 640.0f;
    const float sy = float(viewport[3]) / 480.0f;
    uint8_t p[4] = {};
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(int((x + 320.0f) * sx), int((y + 240.0f) * sy), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return UColor(p[0], p[1], p[2], 255);
}
