#include "AirplaneSkin.h"

#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Texture.h"
#include "GameObject.h"
#include "World.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const int DIRECTIONS = 96;
const int LEFT_PICTURE = 24; // pictures from straight up to straight down cover the left half
const UColor MARKINGS_COLOUR(0xC0, 0xC0, 0xC0, 0xFF);
const UColor SHADOW_COLOUR(0, 0, 0, 0x40);
const UColor PROPELLER_COLOUR(0xFF, 0xFF, 0xFF, 0xFF);

void place(Renderable& part, Skin* skin, const V3& position, const V3& rotation, const V3& scale, UColor colour) {
    part.pSkin = skin;
    part.position = position;
    part.rotation = rotation;
    part.scale = scale;
    part.color = colour;
    part.updateVisuals();
}
} // namespace

AirplaneSkin::AirplaneSkin() {
    propellerPictures = World::frames("propeller");
    setPictures("biplane", "biplane-markings");
}

AirplaneSkin::~AirplaneSkin() {}

void AirplaneSkin::setPictures(const char* bodyName, const char* markingsName) {
    bodyPictures = World::frames(bodyName);
    markingsPictures = World::frames(markingsName);
    Skin* first = bodyPictures->skins[0];
    width = first->width;
    height = first->height;
}

int AirplaneSkin::pictureFor(float heading, bool* mirrored) {
    // 96 directions, each boundary half a step before its direction.
    const float h = GameObject::wrapAngle(heading);
    const int i = int((h + TWO_PI / 192.0f) * float(DIRECTIONS) / TWO_PI);
    *mirrored = i < LEFT_PICTURE || i > DIRECTIONS - LEFT_PICTURE;
    if (i < LEFT_PICTURE) return LEFT_PICTURE - i;
    if (i > DIRECTIONS - LEFT_PICTURE) return DIRECTIONS + LEFT_PICTURE - i;
    return i - LEFT_PICTURE;
}

void AirplaneSkin::shadowScale(float y, float* sx, float* sy) {
    const float f = 1.0f - (y - GameObject::WATER_LINE) / SHADOW_FADE_HEIGHT;
    if (f > 1.0f) {
        *sx = 1.0f;
        *sy = 0.5f;
    } else if (f < 0.5f) {
        *sx = 0.5f;
        *sy = 0.25f;
    } else {
        *sx = f;
        *sy = f / 2.0f;
    }
}

void AirplaneSkin::draw(Renderable* owner) {
    const double now = PLIM->getTime();
    if (now >= nextPropellerSwap) {
        propellerFrame = 1 - propellerFrame;
        nextPropellerSwap = now + PROPELLER_PERIOD;
    }

    bool mirrored = false;
    const int picture = pictureFor(heading, &mirrored);
    const V3 turn(0.0f, mirrored ? PI : 0.0f, 0.0f);
    Skin* bodySkin = World::frame(bodyPictures, picture);
    place(body, bodySkin, owner->position, turn, owner->scale, owner->color);
    place(markings, World::frame(markingsPictures, picture), owner->position, turn, owner->scale, MARKINGS_COLOUR);
    place(propeller, World::frame(propellerPictures, picture + PICTURES * propellerFrame), owner->position, turn,
          owner->scale, PROPELLER_COLOUR);

    const bool brokenAlpha = PLIM->graphics && PLIM->graphics->bBrokenAlphaOp;
    if (!bBodyOnly && bShadow && !brokenAlpha) {
        float sx = 1.0f, sy = 0.5f;
        shadowScale(owner->position.y, &sx, &sy);
        place(shadow, bodySkin, V3(owner->position.x, SHADOW_Y, owner->position.z), turn, V3(sx, sy, 1.0f),
              SHADOW_COLOUR);
        shadow.render();
    }
    const float h = GameObject::wrapAngle(heading);
    if (h < PI && !bBodyOnly) propeller.render();
    body.render();
    if (bBodyOnly) return;
    markings.render();
    if (h >= PI) propeller.render();
}
