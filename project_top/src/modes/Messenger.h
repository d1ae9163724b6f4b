#pragma once
// The centre-screen message line of a match: one message at a time, faded in
// and out, shown for a given number of seconds.
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "util/UString.h"

class FontQuad;

class Messenger : public PlimBase {
public:
    // Print flags of the font.
    static constexpr int PRINT_CENTRED = 4;

    Messenger(FontQuad* font, UColor colour, int y);
    ~Messenger() override;

    // Replaces the current message and restarts its fade.
    void setMessage(const UString& text, double seconds);
    // The fade; nothing once the message has run out.
    void tick(double time, double dt) override;
    void render() override;

    // Alpha of the text after `elapsed` seconds of the current message.
    int alphaAt(double elapsed) const;
    bool isShowing() const { return elapsed < duration; }
    // Alpha of the drop shadow: a quarter of the text's.
    int shadowAlpha() const { return colour.a / 4; }

    double fadeTime = 0.0;
    bool bShadow = true;
    FontQuad* font; // not owned
    UColor colour;
    int32_t y;
    UString text;
    double duration = 0.0;
    double elapsed = 0.0;
};
