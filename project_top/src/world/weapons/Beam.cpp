#include "Beam.h"

#include "render/Quad.h"
#include "render/Renderable.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "world/World.h"

#include <cmath>

namespace {
const int ANCHOR_LEFT_MIDDLE = 4;
const int SEARCHED_LAYERS[] = {GameController::LAYER_ENEMIES, GameController::LAYER_ENEMY_PROJECTILES,
                               GameController::LAYER_BALLOONS};
} // namespace

Beam::Beam(int owner, float x, float y, float z, float angle, const char *textureName)
    : Projectile(owner), beamTexture(World::frames(textureName)) {
    heading = angle;
    beamQuad = new Quad();
    beamQuad->pTexture = beamTexture;
    beamQuad->fitToTexture();
    GameController *game = GameController::current();
    if (game && game->bBloatedProjectiles) {
        // Twice as thick, not longer.
        scale = V3(1.0f, 2.0f, 1.0f);
        updateVisuals();
    }
    setLength(MAX_LENGTH);
    const V3 at(x, y, z);
    const V3 turned(0.0f, 0.0f, angle);
    setup(beamQuad, &at, &turned, nullptr);
}

Beam::~Beam() {
    if (pSkin == beamQuad) pSkin = nullptr;
    beamQuad->deleteMe();
}

void Beam::setLength(float length) {
    if (length == beamLength) return;
    beamLength = length;
    UVRect first;
    if (const Quad *s = dynamic_cast<const Quad *>(World::frame(beamTexture, 0))) first = s->uvRect;
    // The logical width: the one the coordinates are based on, also when the
    // texture was halved to fit.
    beamQuad->uvRect = UVRect(first.left, first.top, first.right * length / float(beamTexture->width), first.bottom);
    beamQuad->fitToTexture();
    beamQuad->setOrigin(ANCHOR_LEFT_MIDDLE);
    updateVisuals();
}

GameObject *Beam::findTarget(float &distSq) {
    GameObject *best = nullptr;
    distSq = MAX_LENGTH * MAX_LENGTH;
    for (int index : SEARCHED_LAYERS)
        findNearestInLine(World::layer(index), best, distSq);
    return best;
}

void Beam::shimmer() {
    const float r = World::fraction() - 0.5f;
    Vertex *v = beamQuad->vertexBuffer.pVertices;
    for (int i = 0; i < 4; ++i)
        v[i].u += r;
    beamQuad->vertexBuffer.countWrite();
}

void Beam::fadeOut(double dt) {
    color = UColor(255, 255, 255, uint8_t(int(255.0 - 255.0 * fade)));
    fade += FADE_RATE * dt;
    if (fade >= 1.0) {
        fade = 1.0;
        bDestroyPending = true;
    }
}

void Beam::drawFlare(V3 at, float size, int times) {
    Renderable flare;
    const V3 scaled(size, size, 1.0f);
    flare.setup(World::frame(World::texture("flare"), 0), &at, nullptr, &scaled);
    flare.color = color;
    for (int i = 0; i < times; ++i)
        flare.render();
}

V3 Beam::farEnd() const {
    const float w = beamQuad->width;
    return V3(position.x + w * std::cos(heading), position.y + w * std::sin(heading), position.z);
}
