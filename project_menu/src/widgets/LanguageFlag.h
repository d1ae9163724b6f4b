#pragma once
// The clickable flag of one language on the language selection screen: shows
// the language's own name while the mouse is over it; a mouse press on it
// chooses the language (the engine's defaultLanguage) and closes the screen.
#include "render/Renderable.h"

#include <cstdint>

class LanguageFlag : public Renderable {
public:
    // Sub-image `language` of "languageFlags"; a missing texture is fatal.
    explicit LanguageFlag(int language);
    ~LanguageFlag() override;

    // The mouse test and the click; no state machine, no children.
    void tick(double time, double dt) override;
    void render() override;

    int32_t language;
    bool bMouseOver = false;
};
