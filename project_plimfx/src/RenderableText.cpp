#include "RenderableText.h"

#include "FontQuad.h"
#include "StretchSkin.h"
#include "TextPlate.h"

RenderableText::RenderableText(float x, float y, float z, const UString& text, FontQuad* font,
                               UColor colour)
    : font(font), text(text) {
    position = V3(x, y, z);
    color = colour;
    updateVisuals();
}

RenderableText::~RenderableText() { delete plateFrame; }

void RenderableText::tick(double, double dt) {
    // A label advances neither its state machine nor any children.
    if (delay > 0.0) {
        delay -= dt;
        if (delay > 0.0) return;
    }
    if (elapsed < duration) {
        elapsed += dt;
        if (elapsed > duration) elapsed = duration;
        if (fadeInTime <= 0.0 && fadeOutTime <= 0.0) return;
        if (elapsed < fadeInTime)
            color.a = uint8_t(int(float(elapsed / fadeInTime) * 255.0));
        else if (elapsed <= duration - fadeOutTime)
            color.a = 255;
        else
            color.a = uint8_t(int(float((duration - elapsed) / fadeOutTime) * 255.0));
    } else if (bAutoDelete) {
        bDestroyPending = true;
    }
}

void RenderableText::render() {
    if (bHidden || delay > 0.0 || elapsed >= duration || !font) return;
    // The plate fades with a fading text; a text's own alpha is kept off it.
    const bool fading = bPlateFades || fadeInTime > 0.0 || fadeOutTime > 0.0;
    if (plateFrame)
        TextPlate::drawFrame(plateFrame, font, position.x, position.y, printFlags, text, fading ? color.a : 255);
    else if (plate.a > 0)
        TextPlate::draw(font, position.x, position.y, printFlags, text, plate, fading ? color.a : 255);
    if (bShadow) {
        UColor shadow(0, 0, 0, uint8_t(int((color.a / 255.0) * 64.0)));
        font->printShadowed(this, printFlags, text, 2.0f, -2.0f, 0.0f, shadow);
    } else {
        font->print(this, printFlags, text);
    }
}

Rect RenderableText::plateRect() const {
    if (!font) return Rect(position.x, position.y, position.x, position.y);
    if (plateFrame) return TextPlate::frameRect(font, position.x, position.y, printFlags, text);
    return TextPlate::plateRect(font, position.x, position.y, printFlags, text);
}

void RenderableText::setText(const UString& newText, double newDuration, double newDelay) {
    text = newText;
    duration = newDuration;
    delay = newDelay;
    elapsed = 0.0;
}

void RenderableText::skip() {
    if (text.isEmpty()) return;
    if (elapsed + fadeOutTime < duration) duration = elapsed + fadeOutTime;
    delay = 0.0;
}
