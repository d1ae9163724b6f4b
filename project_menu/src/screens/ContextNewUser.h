#pragma once
// Asks for a new player's name, typed from the keyboard (at most 15
// characters from "!" to "}" without the backquote, and the blank), drawn over
// the screen beneath it. OK or Enter adds the profile and makes it current;
// the screen cannot be left without a name. A name too wide for the field in
// the large font is shown in the medium one.
#include "ContextMenu.h"
#include "util/UString.h"

class MenuButton;
class Renderable;
class RenderableText;

class ContextNewUser : public ContextMenu {
public:
    enum { MAX_NAME_LENGTH = 15 };
    // The field's width, and the room its text keeps from either end.
    static constexpr float FIELD_WIDTH = 400.0f;
    static constexpr float FIELD_INSET = 14.0f;

    ContextNewUser();
    ~ContextNewUser() override;

    void tickContents(double time, double dt) override;
    void renderContents() override;

    static bool isAllowedChar(char c);

    MenuButton* buttonOK = nullptr;       // a child
    RenderableText* nameLabel = nullptr;  // a child
    Renderable* field = nullptr;          // a child
    UString name;
};
