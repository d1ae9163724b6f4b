#include "GUItheme.h"

#include "Plim.h"
#include "ResourceManager.h"
#include "Texture.h"

GUItheme::GUItheme()
    : firstMetric(0), captionSpacing(0), margin(0), borderLeft(0), borderTop(0), borderRight(0),
      borderBottom(0), font(nullptr) {}

GUItheme::~GUItheme() {}

Texture* GUItheme::findFrames(const char* name) {
    return static_cast<Texture*>(PLIM->resourceManager->find(name, true));
}
