#include "ContextGameHelp.h"

#include "render/DrawHelpers.h"
#include "app/Global.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuPlate.h"
#include "StretchSkin.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "render/Renderable.h"
#include "RenderableText.h"
#include "modes/GameController.h"
#include "world/Vehicle.h"
#include "world/World.h"

#include <algorithm>
#include <vector>

namespace {
const float BAR_TRAVEL = ContextGameHelp::BAR_SHOWN - ContextGameHelp::BAR_HIDDEN;
const float LABEL_INSET_X = 160.0f;
const UColor BLACK(0, 0, 0, 255);

// A page's lines read as one block while each stands no further below the
// one above than twice the taller of the two: a title and its paragraph are
// one, the captions beside two pictures of the mouse are two.
const float BLOCK_GAP_LINES = 2.0f;

// The letters of the content's texts, top first, in blocks.
std::vector<std::vector<Rect>> blocksOf(const PlimBase* content) {
    std::vector<const RenderableText*> texts;
    for (BasicLink* l = content->firstChild; l; l = l->next)
        if (!l->bDestroyPending)
            if (const RenderableText* t = dynamic_cast<const RenderableText*>(static_cast<PlimBase*>(l)))
                texts.push_back(t);
    std::vector<Rect> letters = MenuPlate::lettersOf(texts);
    std::sort(letters.begin(), letters.end(), [](const Rect& a, const Rect& b) { return a.top > b.top; });
    std::vector<std::vector<Rect>> blocks;
    for (const Rect& r : letters) {
        const Rect* above = blocks.empty() ? nullptr : &blocks.back().back();
        const float lines = above ? std::max(above->top - above->bottom, r.top - r.bottom) : 0.0f;
        if (!above || above->bottom - r.top > BLOCK_GAP_LINES * lines) blocks.emplace_back();
        blocks.back().push_back(r);
    }
    return blocks;
}
} // namespace

ContextGameHelp::ContextGameHelp() {
    bDeleteWhenDone = true;
    bMousePointer = false;
    content = new PlimBase();
    title = new MenuButton(0.0f, 0.0f, 0.0f, "how to play", "");
    addChild(title);
    resume = new MenuButton(0.0f, 0.0f, 0.0f, "fire to resume", "");
    addChild(resume);
    panel = MenuPlate::newFrame(MenuPlate::PANEL);
    setState(STATE_OPENING);
}

ContextGameHelp::~ContextGameHelp() {
    delete panel;
    // Closed (Escape) before the content was shown: it is still ours alone.
    if (content && !content->parent) content->deleteMe();
}

float ContextGameHelp::slide(double x) {
    const double f = x < 0.0 ? 1.0 : x > 1.0 ? 0.0 : 1.0 - x;
    return float(1.0 - f * f);
}

bool ContextGameHelp::dismissPressed() const {
    PlimInput* input = PLIM->input;
    if (!input) return false;
    const int32_t* fire = gGlobal->saveData.keys[Vehicle::ACTION_FIRE];
    return input->anyMouseButtonPressed() || input->isKeyPressed(fire[0]) || input->isKeyPressed(fire[1]);
}

void ContextGameHelp::tickContents(double time, double dt) {
    Context::tickContents(time, dt);
    if (time >= SLIDE_TIME && time - dt < SLIDE_TIME) {
        addChild(content);
        contentBlocks = blocksOf(content);
    }

    switch (state) {
    case STATE_OPENING:
        barInset = slide(2.0 * timeInState) * BAR_TRAVEL + BAR_HIDDEN;
        break;
    case STATE_SHOWN:
        if (dismissPressed()) setState(STATE_CLOSING);
        break;
    case STATE_CLOSING:
        barInset = slide((timeInState - SLIDE_TIME) * -2.0) * BAR_TRAVEL + BAR_HIDDEN;
        break;
    default:
        break;
    }

    const int w = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    title->position = V3(float(-w / 2) + LABEL_INSET_X, float(h / 2) - barInset, 0.0f);
    resume->position = V3(float(w / 2) - LABEL_INSET_X, float(-h / 2) + barInset, 0.0f);
    title->updateVisuals();
    resume->updateVisuals();
}

void ContextGameHelp::renderContents() {
    // Only a match to show beneath; without one the page draws itself alone.
    GameController* match = GameController::current();
    if (match && match != static_cast<Context*>(this)) match->render();

    PlimGraphics* graphics = PLIM->graphics;
    if (graphics && barInset > 0.0f) {
        // In view units, which the window scales: 48 units are 96 pixels in
        // a window twice the view's height. The bars run past both sides for
        // windows wider than the view.
        const float w = float(graphics->fovWidth);
        const float h = float(graphics->fovHeight / 2);
        drawFilledRect(Rect(-w, h, w, h - barInset), BLACK);
        drawFilledRect(Rect(-w, -h + barInset, w, -h), BLACK);
    }
    for (const std::vector<Rect>& block : contentBlocks) MenuPlate::drawBlockPanel(panel, block);
    Context::renderContents();
}

void ContextGameHelp::onStateChange() {
    switch (state) {
    case STATE_OPENING:
        setState(STATE_SHOWN, SLIDE_TIME);
        break;
    case STATE_SHOWN:
        // The last frame of the slide stops a little short of it.
        barInset = BAR_SHOWN;
        break;
    case STATE_CLOSING:
        content->destroyChildren();
        contentBlocks.clear();
        setState(STATE_CLOSED, SLIDE_TIME);
        break;
    case STATE_CLOSED:
        barInset = BAR_HIDDEN;
        bDone = true;
        break;
    default:
        break;
    }
}

void ContextGameHelp::addText(PlimBase* page, float x, float y, const char* text, FontQuad* font, int printFlags) {
    RenderableText* label = new RenderableText(x, y, 0.0f, text, font, UColor::WHITE);
    if (printFlags >= 0) label->printFlags = printFlags;
    page->addChild(label);
}

void ContextGameHelp::addMousePicture(PlimBase* page, float x, float y, int index) {
    Renderable* picture = new Renderable();
    const V3 at(x, y, 0.0f);
    picture->setup(World::frame(World::frames("mouse"), index), &at, nullptr, nullptr);
    page->addChild(picture);
}
