#include "Messenger.h"

#include "FontQuad.h"
#include "TextPlate.h"
#include "GameRecorder.h"

namespace {
// The message reads over sky, clouds and explosions alike on this plate.
const UColor MESSAGE_PLATE(0, 0, 0, 176);
} // namespace

Messenger::Messenger(FontQuad* font, UColor colour, int y) : font(font), colour(colour), y(y) {}

Messenger::~Messenger() {}

void Messenger::setMessage(const UString& newText, double seconds) {
    text = newText;
    duration = seconds;
    elapsed = 0.0;
    colour.a = uint8_t(alphaAt(0.0));
    if (GameRecorder::current) GameRecorder::current->onMessage(text, seconds);
}

int Messenger::alphaAt(double at) const {
    // Without a fade the text is simply shown.
    if (fadeTime <= 0.0) return 255;
    float share = 1.0f;
    if (at < fadeTime)
        share = float(at / fadeTime);
    else if (at > duration - fadeTime)
        share = float((duration - at) / fadeTime);
    return int(share * 255.0f) & 0xFF;
}

void Messenger::tick(double, double dt) {
    if (!isShowing()) return;
    elapsed += dt;
    if (elapsed > duration) elapsed = duration;
    colour.a = uint8_t(alphaAt(elapsed));
}

void Messenger::render() {
    if (!isShowing() || !font) return;
    TextPlate::draw(font, 0.0f, float(y), PRINT_CENTRED, text, MESSAGE_PLATE, colour.a);
    if (!bShadow) {
        font->printAt(0.0f, float(y), 0.0f, colour, PRINT_CENTRED, text);
        return;
    }
    const UColor shadow(0, 0, 0, uint8_t(shadowAlpha()));
    font->printAtShadowed(0.0f, float(y), 0.0f, colour, PRINT_CENTRED, text, 2.0f, -2.0f, 0.0f, shadow);
}
