#include "Percentage.h"

#include "render/Quad.h"
#include "render/Texture.h"

namespace {
const char* const USE = "a progress bar";
} // namespace

Percentage::Percentage(Texture* texture, int frameSkin, int barSkin) : texture(texture), barSkin(barSkin) {
    if (frameSkin >= 0) pSkin = texture->subImage(frameSkin, USE);
    Quad* source = texture->singleQuad(barSkin, USE);
    Quad* quad = new Quad();
    quad->pTexture = source->pTexture;
    quad->uvRect = source->uvRect;
    quad->fitToTexture();
    quad->setOrigin(4);
    bar.pSkin = quad;
    bar.bOwnsSkin = true;
    bar.position = V3(-0.5f * source->width, 0.0f, 0.0f);
    Renderable::updateVisuals();
    setValue(0.0f);
}

Percentage::~Percentage() {}

void Percentage::render() {
    if (bHidden) return;
    Renderable::render();
    bar.color = color;
    bar.render();
}

void Percentage::updateVisuals() {
    Renderable::updateVisuals();
    bar.setPostXform(xform);
}

void Percentage::setValue(float v) {
    value = v;
    float shown = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
    Quad* source = texture->singleQuad(barSkin, USE);
    Quad* quad = static_cast<Quad*>(bar.pSkin);
    quad->uvRect = source->uvRect;
    quad->uvRect.right = source->uvRect.left + shown * (source->uvRect.right - source->uvRect.left);
    quad->fitToTexture();
    quad->setOrigin(4);
    updateVisuals();
}
