#pragma once
// A text label: one string printed with a quad font from the label's position
// and colour, shown after a delay for a duration with optional alpha fades and
// a drop shadow; by default it has its parent delete it when it is over.
#include "render/Renderable.h"
#include "util/Rect.h"
#include "util/UString.h"

#include <cstdint>

class FontQuad;
class StretchSkin;

class RenderableText : public Renderable {
public:
    static constexpr double FOREVER = 999999.0;

    RenderableText(float x, float y, float z, const UString& text, FontQuad* font, UColor colour);
    ~RenderableText() override;

    void tick(double time, double dt) override;
    void render() override;

    // New text shown from the start; fades and the current alpha stay.
    void setText(const UString& text, double duration, double delay);
    // Where its plate (flat or framed) lies; zero size without a font.
    Rect plateRect() const;
    // Starts the fade-out now (or ends the label when it has none).
    void skip();

    bool bAutoDelete = true;
    bool bShadow = true;
    double delay = 0.0;
    double duration = FOREVER;
    double fadeInTime = 0.0;
    double fadeOutTime = 0.0;
    int32_t printFlags = 5;
    FontQuad* font = nullptr; // not owned
    UString text;
    double elapsed = 0.0;
    // With alpha above 0: a plate of this colour behind the text (TextPlate),
    // for a text over a busy or light picture.
    UColor plate{0, 0, 0, 0};
    // When set, this picture stretched behind the text instead of the flat
    // plate; owned. With bPlateFades it takes the text's alpha.
    StretchSkin* plateFrame = nullptr;
    bool bPlateFades = false;
};
