#pragma once
// Asks for a new player's name, typed from the keyboard (at most 15
// characters from "!" to "}" without the backquote, and the blank), drawn over
// the screen beneath it. OK or Enter adds the profile and makes it current;
// the screen cannot be left without a name.
#include "ContextMenu.h"
#include "UString.h"

class MenuButton;
class RenderableText;

class ContextNewUser : public ContextMenu {
public:
    enum { MAX_NAME_LENGTH = 15 };

    ContextNewUser();
    ~ContextNewUser() override;

    void tickContents(double time, double dt) override;
    void renderContents() override;

    static bool isAllowedChar(char c);

    MenuButton* buttonOK = nullptr;       // a child
    RenderableText* nameLabel = nullptr;  // a child
    UString name;
};
