#include "Background.h"

#include "render/Camera.h"
#include "core/Context.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/Rect.h"
#include "render/Renderable.h"
#include "core/ResourceManager.h"
#include "render/Texture.h"

#include <cmath>

Background::Background() {
    seaTexture = static_cast<Texture*>(PLIM->resourceManager->find("sea", true));
    skyTexture = static_cast<Texture*>(PLIM->resourceManager->find("sky", true));
}

Background::~Background() {}

float Background::firstStripX(float left) { return std::floor(left / STRIP_WIDTH) * STRIP_WIDTH; }

void Background::render() {
    if (PLIM->graphics) PLIM->graphics->clear(UColor(CLEAR_COLOUR));

    Context* context = PLIM->currentContext;
    if (!context || !context->camera) return;
    const Rect view = context->camera->getVisibleRect(0.0f);

    // Each draw below places its renderable first.
    Renderable sky;
    if (!skyTexture->skins.empty()) sky.pSkin = skyTexture->skins[0];
    sky.scale.x = sky.scale.y = 2.0f;
    Renderable sea;
    if (seaTexture->skins.size() > 1) sea.pSkin = seaTexture->skins[1];

    for (float x = firstStripX(view.left); x < view.right; x += STRIP_WIDTH) {
        sky.position = V3(x, -1.0f, 0.0f);
        sky.updateVisuals();
        sky.render();
        for (int tile = 0; tile < 3; tile++) {
            sea.position = V3(x + SEA_TILE_STEP * float(tile), 0.0f, 0.0f);
            sea.updateVisuals();
            sea.render();
        }
    }
}
