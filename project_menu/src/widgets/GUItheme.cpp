#include "GUItheme.h"

#include "core/Plim.h"
#include "core/ResourceManager.h"
#include "render/Texture.h"

GUItheme::GUItheme(int spacing, int themeMargin, int border, FontQuad* themeFont)
    : captionSpacing(spacing), margin(themeMargin), borderLeft(border), borderTop(border), borderRight(border),
      borderBottom(border), font(themeFont) {}

GUItheme::~GUItheme() {}

Texture* GUItheme::findFrames(const char* name) {
    return static_cast<Texture*>(PLIM->resourceManager->find(name, true));
}
