#include "ContextManager.h"

#include "screens/ContextDialog.h"
#include "input/EventManager.h"
#include "FontQuad.h"
#include "Global.h"
#include "language/Language.h"
#include "core/Logger.h"
#include "widgets/MousePointer.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"
#include "widgets/RadialFader.h"
#include "core/RuntimeClass.h"
#include "core/TimeKeeper.h"
#include "files/UserNotices.h"
#include "render/VertexBuffer.h"

#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

RuntimeClass ContextManager::runtimeClass("ContextManager", &Context::runtimeClass, nullptr);

namespace {

const int FIRE_ACTION = 4;
const double FPS_REFRESH = 0.125;
const int HISTORY = 512;

void clearFocus() {
    if (PLIM->eventManager) PLIM->eventManager->setFocus(nullptr);
}

} // namespace

ContextManager::ContextManager() {
    pointerLayer = new Context();
    pointer = new MousePointer();
    pointerLayer->addChild(pointer);
    faderLayer = new Context();
    fader = new RadialFader();
    faderLayer->addChild(fader);
}

ContextManager::~ContextManager() {
    pointerLayer->deleteMe();
    pointerLayer = nullptr;
    pointer = nullptr;
    faderLayer->deleteMe();
    faderLayer = nullptr;
    fader = nullptr;
    // Screens still here stay alive; the engine lists them at shutdown.
    while (lastChild) {
        BasicLink* screen = lastChild;
        removeChild(screen);
        screen->prev = screen->next = nullptr;
    }
}

RuntimeClass* ContextManager::getClass() { return &runtimeClass; }

void ContextManager::push(Context* screen) {
    screen->bDone = false;
    addChild(screen);
}

void ContextManager::closeAll() {
    quitByPlayer();
    popFinished(false);
    currentTop = nullptr;
}

void ContextManager::quitByPlayer() {
    for (BasicLink* s = firstChild; s; s = s->next)
        static_cast<Context*>(static_cast<PlimBase*>(s))->bDone = true;
}

Context* ContextManager::getTop() const { return static_cast<Context*>(static_cast<PlimBase*>(lastChild)); }

bool ContextManager::isLastOpen(Context* screen) const {
    for (BasicLink* s = screen->prev; s; s = s->prev)
        if (!static_cast<Context*>(static_cast<PlimBase*>(s))->bDone) return false;
    return true;
}

bool ContextManager::pointerShown() const {
    const Context* top = getTop();
    return top && top->bMousePointer;
}

PlimBase* ContextManager::pick(int& n) {
    return pointerShown() ? getTop()->pick(n) : nullptr;
}

void ContextManager::popFinished(bool playerQuits) {
    for (Context* top = getTop(); top && top->bDone; top = getTop()) {
        if (playerQuits && isLastOpen(top) && !quitSaves.letGo(*this, top)) break;
        removeChild(top);
        top->prev = top->next = nullptr;
        top->onDeactivate(true);
        clearFocus();
        activeScreen = nullptr;
        if (top->bDeleteWhenDone) top->deleteMe();
    }
}

void ContextManager::activateTop() {
    if (currentTop == activeScreen) return;
    if (activeScreen) activeScreen->onDeactivate(false);
    clearFocus();
    // The log shows, at once, which screen the player is on (and tests wait for it).
    int failed = 0;
    char* name = abi::__cxa_demangle(typeid(*currentTop).name(), nullptr, nullptr, &failed);
    logTagged("activateTop", "%s", failed || !name ? typeid(*currentTop).name() : name);
    free(name);
    if (PLIM->log) PLIM->log->flush();
    currentTop->onActivate(currentTop->bFirstActivation);
    currentTop->bFirstActivation = false;
    fader->target = 0.0f;
    activeScreen = currentTop;
}

void ContextManager::tickContents(double time, double dt) {
    popFinished(true);
    if (!getTop()) {
        bQuit = true;
        currentTop = nullptr;
        return;
    }
    currentTop = getTop();
    activateTop();
    Context* top = currentTop;

    if (PLIM->input) PLIM->input->bReleaseGrabAtEdge = top->bMousePointer;

    pointerLayer->tickContext(time, dt);
    faderLayer->tickContext(time, dt);
    top->tickContext(time, dt);

    handleKeys(top);
    if (gGlobal) gGlobal->followLink();
    showNotices();

    if (quitAnswer == 0) {
        if (top->prev) static_cast<Context*>(static_cast<PlimBase*>(top->prev))->bDone = true;
        quitAnswer = -1;
    }
    quitSaves.followAnswer();
}

void ContextManager::handleKeys(Context* top) {
    PlimInput* input = PLIM->input;
    if (!input || !top->bEscapeCloses) return;
    if (input->isKeyPressed(KEY_ESCAPE)) {
        if (top->bEscapeAsksQuit)
            openQuitQuestion();
        else
            top->bDone = true;
    }
    if (!top->bBackKeysClose) return;
    bool fire = false;
    if (gGlobal)
        fire = input->isKeyPressed(gGlobal->saveData.keys[FIRE_ACTION][0]) ||
               input->isKeyPressed(gGlobal->saveData.keys[FIRE_ACTION][1]);
    if (fire || input->anyMouseButtonPressed()) top->bDone = true;
}

void ContextManager::showNotices() {
    // Dialogs need the fonts and themes, which exist once loading is over.
    if (!UserNotices::pending() || !PLIM->language || !gGlobal || !gGlobal->themeStandard) return;
    UString text;
    for (const UString& notice : UserNotices::take()) {
        logTagged("showNotices", "%s", notice.c_str());
        if (!text.isEmpty()) text += "||";
        text += notice;
    }
    ContextDialog* dialog = new ContextDialog();
    dialog->text = text;
    dialog->build();
    push(dialog);
}

void ContextManager::openQuitQuestion() {
    push(ContextDialog::question(UString(), PLIM->language->getText(Language::STR_CONFIRM), &quitAnswer));
}

void ContextManager::renderContents() {
    if (!getTop() || !currentTop) return;
    currentTop->renderContext();
    if (currentTop->bMousePointer) pointerLayer->renderContext();
    faderLayer->renderContext();
    if (!currentTop->bHideFps && gGlobal && gGlobal->saveData.bShowFps) drawFpsText();
    if (PLIM->debugLevel & 4) drawFpsGraph();
}

void ContextManager::drawFpsText() {
    TimeKeeper* clock = PLIM->timeKeeper;
    if (clock && clock->getTime() > nextFpsRefresh) {
        nextFpsRefresh = clock->getTime() + FPS_REFRESH;
        shownFps = float(PLIM->fps);
    }
    FontQuad* font = gGlobal->fontSmall;
    PlimGraphics* graphics = PLIM->graphics;
    if (!font || !graphics) return;
    int w = graphics->fovWidth / 2, h = graphics->fovHeight / 2;
    font->printAt(float(w - 2), float(h - 2), 0.0f, UColor::WHITE,
                  FontQuad::PRINT_RIGHT | FontQuad::PRINT_NOCACHE, formatString("%.1lf", double(shownFps)));
}

void ContextManager::drawFpsGraph() {
    PlimGraphics* graphics = PLIM->graphics;
    if (!graphics) return;
    int w = graphics->fovWidth / 2, h = graphics->fovHeight / 2;
    VertexBuffer graph(HISTORY);
    int frame = PLIM->frameCount % HISTORY;
    for (int i = 0; i < HISTORY; ++i) {
        int index = (frame - i) % HISTORY;
        if (index < 0) index += HISTORY;
        int value = PLIM->fpsHistory[index];
        UColor c = value <= 30   ? UColor(128, 0, 0, 255)
                   : value <= 60 ? UColor(192, 192, 0, 255)
                                 : UColor(0, 128, 0, 255);
        graph.pVertices[i] = Vertex{0.0f, 0.0f, c, float(w - i), float(-h + value / 4), 0.0f};
    }
    graph.countWrite();
    graphics->loadIdentity();
    graph.draw(nullptr, VertexBuffer::PRIM_LINE_STRIP, 0, -1);

    int target = gGlobal ? gGlobal->saveData.maxFps : 0;
    float y = float(-h + target / 4);
    VertexBuffer line(2);
    const UColor red(255, 0, 0, 255);
    line.pVertices[0] = Vertex{0.0f, 0.0f, red, float(w - HISTORY), y, 0.0f};
    line.pVertices[1] = Vertex{0.0f, 0.0f, red, float(w), y, 0.0f};
    line.countWrite();
    line.draw(nullptr, VertexBuffer::PRIM_LINES, 0, -1);
}
