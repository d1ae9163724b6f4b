#pragma once
// The sub-images the game takes by index from the pictures the loader
// registers, named once: the places that take one name it here, and the
// loader's table of pictures gives each picture the count named here, which
// the start's check holds its side file to (composites and fonts count theirs
// from their own tables). A picture not named here is taken from its first
// sub-image on, or clamped to the ones it has.
#include "core/Plim.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "util/PlimUtil.h"
#include "util/UString.h"

struct SubImage {
    // A menu item's frame (the button, the edit box): plain, then lit.
    static constexpr const char *BUTTON = "gui-game-button", *EDIT_BOX = "gui-game-editbox";
    static constexpr int FRAME_PLAIN = 0, FRAME_LIT = 1, FRAMES = 2;
    // The loading screen's progress bar: its frame, then the bar.
    static constexpr const char* PROGRESS_BAR = "gui-game-progressBar";
    static constexpr int BAR_FRAME = 0, BAR_FILL = 1, BAR_PARTS = 2;
    // The HUD's energy bars: health, then the blaster's.
    static constexpr const char* ENERGY_BAR = "hud-energybar";
    static constexpr int ENERGY_HEALTH = 0, ENERGY_BLASTER = 1, ENERGY_BARS = 2;
    // The oval buttons: the HUD's tray, a bonus's tab, the finder's mark.
    static constexpr const char* OVAL_BUTTONS = "ovalButtons";
    static constexpr int OVAL_TRAY = 2, OVAL_TAB = 3, OVAL_FINDER = 5, OVAL_PARTS = 6;

    // The name sub-image index of the picture registered as name is found by.
    static UString resourceName(const char* name, int index) { return formatString("%s:%d", name, index); }
    // That sub-image; a data fault naming it when the data never made it.
    static Skin* skin(const char* name, int index) {
        return static_cast<Skin*>(PLIM->resourceManager->find(resourceName(name, index), true));
    }
};
