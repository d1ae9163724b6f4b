#include "MousePointer.h"

#include "core/Context.h"
#include "core/DataFault.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "core/ResourceManager.h"
#include "render/Texture.h"

MousePointer::MousePointer() {
    texture = static_cast<Texture*>(PLIM->resourceManager->find("mousePointer", true));
    if (texture->skins.empty())
        DataFault::raise("Texture '%s' has no sub-images for the mouse pointer.", "mousePointer");
    pSkin = texture->skins[0];
    updateVisuals();
}

MousePointer::~MousePointer() {}

void MousePointer::tick(double time, double dt) {
    Context* context = PLIM->currentContext;
    if (context) position = V3(context->mouseWorld.x, context->mouseWorld.y, 0.0f);
    updateVisuals();

    PlimInput* input = PLIM->input;
    bool held = input && (input->buttonsNow[0] || input->buttonsNow[1]);
    phase += float(held ? 8.0 * dt : -8.0 * dt);
    if (phase < 0.0f) phase = 0.0f;
    if (phase > 1.0f) phase = 1.0f;

    int n = int(texture->skins.size());
    Skin* skin = texture->skins[size_t(int(phase * float(n - 1)))];
    if (skin != pSkin) {
        pSkin = skin;
        updateVisuals();
    }
}
