#include "Percentage.h"

#include "core/DataFault.h"
#include "render/Quad.h"
#include "core/RuntimeClass.h"
#include "render/Texture.h"

namespace {

Quad* subQuad(Texture* texture, int index) {
    if (index < 0 || index >= int(texture->skins.size()))
        DataFault::raise("Texture '%s' has no sub-image %d for a progress bar.", texture->name.c_str(), index);
    Skin* skin = texture->skins[size_t(index)];
    if (!skin->getClass()->isKindOf(&Quad::runtimeClass))
        DataFault::raise("Sub-image %d of texture '%s' is not a single quad.", index, texture->name.c_str());
    return static_cast<Quad*>(skin);
}

} // namespace

Percentage::Percentage(Texture* texture, int frameSkin, int barSkin) : texture(texture), barSkin(barSkin) {
    if (frameSkin >= 0) {
        if (frameSkin >= int(texture->skins.size()))
            DataFault::raise("Texture '%s' has no sub-image %d for a progress bar.", texture->name.c_str(), frameSkin);
        pSkin = texture->skins[size_t(frameSkin)];
    }
    Quad* source = subQuad(texture, barSkin);
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
    Quad* source = subQuad(texture, barSkin);
    Quad* quad = static_cast<Quad*>(bar.pSkin);
    quad->uvRect = source->uvRect;
    quad->uvRect.right = source->uvRect.left + shown * (source->uvRect.right - source->uvRect.left);
    quad->fitToTexture();
    quad->setOrigin(4);
    updateVisuals();
}
