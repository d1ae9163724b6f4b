#include "MenuButton.h"

#include "screens/ContextDialog.h"
#include "app/ContextManager.h"
#include "app/Global.h"
#include "app/SubImage.h"
#include "core/Plim.h"
#include "core/ResourceManager.h"
#include "render/Texture.h"

#include <cstring>

MenuButton::MenuButton(float x, float y, float z, const UString& caption, const UString& description)
    : MenuItem(x, y, z, caption, description) {
    setSkin(static_cast<Texture*>(PLIM->resourceManager->find(SubImage::BUTTON, true)), 16, 0, 0, 16);
    setWidth(256);
    captionLocation = 5;
}

MenuButton::~MenuButton() {}

void MenuButton::tick(double time, double dt) {
    MenuItem::tick(time, dt);
    if (!bDisabled && ((bHovered && mousePressed()) || (shortcut != 0 && std::strchr(typedText(), shortcut)))) {
        if (questionTitle.isEmpty() && questionText.isEmpty()) {
            onClick();
        } else {
            gGlobal->contextManager->push(ContextDialog::question(questionTitle, questionText, &answer));
        }
    }
    // Also while disabled: the yes of a question asked before counts.
    if (answer == 0) {
        onClick();
        answer = -1;
    }
}
