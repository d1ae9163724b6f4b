#include "GUIthemeStandard.h"

#include "core/ErrorManager.h"
#include "GUIitem.h"
#include "app/Global.h"

namespace {

// Frame texture of each style; style 0 leaves the item as it is.
const char* const styleFrames[12] = {
    nullptr,
    "gui-invisible",
    "gui-standard-generic",
    "gui-standard-thickframe",
    "gui-standard-thinframe",
    "gui-standard-groove",
    "gui-standard-panel-bevelinner",
    "gui-standard-editbox",
    "gui-standard-button",
    "gui-standard-button-nogroove",
    "gui-standard-tab",
    "gui-standard-tab-selected",
};

} // namespace

GUIthemeStandard::GUIthemeStandard() : GUItheme(3, 1, 5, gGlobal ? gGlobal->fontSmall : nullptr) {}

GUIthemeStandard::~GUIthemeStandard() {}

void GUIthemeStandard::setStyle(GUIitem* item, int style) {
    if (style < 0 || style > 11)
        ErrorManager::errorAt("setStyle", "project_menu/src/GUIthemeStandard", 65, "Unhandled style");
    if (style == 0) return;
    if (style == 10 || style == 11) {
        // Tabs: wide sides, narrow top and bottom.
        item->borderLeft = 10;
        item->borderTop = 5;
        item->borderBottom = 5;
        item->borderRight = 10;
    }
    item->setSkin(findFrames(styleFrames[style]));
    if (style == 3) margin = 2;
}
