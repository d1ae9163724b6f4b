#include "MenuKey.h"

#include "app/Global.h"
#include "core/Plim.h"
#include "input/PlimInput.h"

MenuKey::MenuKey(float x, float y, float z, const UString& caption, const UString& description, int32_t* bound)
    : MenuItem(x, y, z, caption, description), key(bound) {}

MenuKey::~MenuKey() {}

void MenuKey::tick(double time, double dt) {
    MenuItem::tick(time, dt);
    if (!bHovered || !PLIM->input) return;
    const int k = PLIM->input->getKeyPressed();
    if (k < 2) return; // none, or Escape
    SaveData& data = gGlobal->saveData;
    for (int player = 0; player < SaveData::PLAYER_COUNT; player++)
        for (int action = 0; action < SaveData::ACTION_COUNT; action++)
            if (data.keys[action][player] == k) data.keys[action][player] = 0;
    *key = k;
}

void MenuKey::renderValue(V3 at) {
    if (PLIM->input) drawValueText(at, PLIM->input->getKeyName(*key));
}
