#include "MyGlobal.h"

#include "app/ContextManager.h"
#include "MyContextMain.h"
#include "render/Quad.h"
#include "util/Random.h"
#include "modes/ContextLogo.h"

namespace {

// Middle of the left edge, as on a numeric keypad.
const int SKIN_ANCHOR_LEFT = 4;

} // namespace

MyGlobal::MyGlobal() {}

MyGlobal::~MyGlobal() {
    // The game's screens reach the match through this object: close them while
    // it is still whole, before the shell's destructor closes the rest.
    if (contextManager) contextManager->closeAll();
}

void MyGlobal::pushFirstContexts() {
    contextManager->push(new MyContextMain());
    contextManager->push(new ContextLogo());
}

UColor MyGlobal::randomPureColour() {
    const int v = Random::next() % 6 + 1;
    const uint8_t full = 0xFF, half = 0x80;
    return UColor((v & 1) ? full : half, (v & 2) ? full : half, (v & 4) ? full : half, full);
}

void MyGlobal::setProgressSkin(Quad* bar, Quad* source, float t) {
    if (!bar->pTexture) bar->pTexture = source->pTexture;
    const UVRect& from = source->uvRect;
    bar->uvRect = UVRect(from.left, from.top, from.left + (from.right - from.left) * t, from.bottom);
    bar->fitToTexture();
    bar->setOrigin(SKIN_ANCHOR_LEFT);
}
