#include "MenuString.h"

#include "FontQuad.h"

#include <algorithm>
#include <cstring>

// The backquote's place holds a second apostrophe, so neither it nor the
// tilde is ever taken.
const char* const MenuString::DEFAULT_ALLOWED =
    "!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_'abcdefghijklmnopqrstuvwxyz{|} ";

MenuString::MenuString(float x, float y, float z, const UString& caption, const UString& description, char* bound,
                       int maxLength)
    : MenuItem(x, y, z, caption, description), allowed(DEFAULT_ALLOWED), maximumLength(maxLength), buffer(bound) {
    text = UString(buffer, strnlen(buffer, size_t(maximumLength > 0 ? maximumLength : 0)));
}

MenuString::~MenuString() {}

bool MenuString::isAllowed(char c) const {
    return c != 0 && std::memchr(allowed.c_str(), c, allowed.length()) != nullptr;
}

void MenuString::tick(double time, double dt) {
    MenuItem::tick(time, dt);
    if (bDisabled) {
        bCursorVisible = false;
        return;
    }
    if (bHovered) {
        for (const char* c = typedText(); *c; ++c) {
            if (*c == 8) {
                if (!text.isEmpty()) text = text.substr(0, text.length() - 1);
            } else {
                if (int(text.length()) < maximumLength && isAllowed(*c)) text += *c;
                onTextChanged();
            }
        }
        // The buffer holds maximumLength + 1 bytes.
        const size_t length = std::min(text.length(), size_t(maximumLength > 0 ? maximumLength : 0));
        std::memcpy(buffer, text.c_str(), length);
        buffer[length] = 0;
    }
    bCursorVisible = bHovered && int(time * 8.0) % 2 == 0;
}

void MenuString::renderValue(V3 at) {
    if (!font) return;
    const int w = font->getTextWidth(text + "_", nullptr).width;
    font->printAt(at.x - float(w / 2), at.y, at.z, colorCurrent, 0x12, bCursorVisible ? text + "_" : text);
}

void MenuString::onTextChanged() {}
