#include "GUIthemeMinimal.h"

#include "core/ErrorManager.h"
#include "GUIitem.h"
#include "app/Global.h"

GUIthemeMinimal::GUIthemeMinimal() : GUItheme(1, 0, 3, gGlobal ? gGlobal->fontTiny : nullptr) {}

GUIthemeMinimal::~GUIthemeMinimal() {}

void GUIthemeMinimal::setStyle(GUIitem* item, int style) {
    if (style == 0) return;
    if (style == 1) {
        item->setSkin(findFrames("gui-invisible"));
        return;
    }
    if (style >= 2 && style <= 11) {
        item->setSkin(findFrames("gui-minimal-generic"));
        return;
    }
    ErrorManager::errorAt("setStyle", "project_menu/src/GUIthemeMinimal", 45, "Unhandled style");
}
