#include "ScreenWatcher.h"

#include "FontQuad.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuUserDisplay.h"
#include "RenderableText.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "ProgramRun.h"
#include "render/Camera.h"
#include "modes/pages/ContextGameHelp.h"

#include <cxxabi.h>
#include <cstdlib>
#include <sstream>
#include <typeinfo>

namespace {

std::string className(const std::type_info& type) {
    int status = 0;
    char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && readable ? readable : "?";
    free(readable);
    return name;
}

} // namespace

void ScreenWatcher::tick(double, double) {
    Context* top = gGlobal->contextManager->getTop();
    if (!top) return;
    std::ostringstream out;
    out << "top " << className(typeid(*top)) << "\n";
    // The pointer as the input holds it now: a screen that has just come on
    // top has not yet ticked, and its own copy still tells where the pointer
    // was when it was last on top.
    V3 mouse = top->mouseWorld;
    if (top->camera && PLIM->input)
        mouse = top->camera->screenToWorld(PLIM->input->mousePosition[0], PLIM->input->mousePosition[1], 0.0f);
    out << "mouse " << int(mouse.x) << " " << int(mouse.y) << "\n";
    // A hint page takes the click that closes it only once it is shown.
    if (auto* help = dynamic_cast<ContextGameHelp*>(top)) out << "page " << help->state << "\n";
    for (BasicLink* c = top->firstChild; c; c = c->next)
        if (MenuButton* button = dynamic_cast<MenuButton*>(static_cast<PlimBase*>(c)))
            if (!button->bDisabled) {
                out << "button " << int(button->position.x) << " " << int(button->position.y) << " "
                    << button->caption.c_str() << "\n";
                // Where the caption's text ends, and whether the pointer is on the button.
                const float width =
                    button->font ? float(button->font->getTextWidth(button->caption, nullptr).width) * button->scale.x : 0.0f;
                out << "caption " << int(button->position.x - 0.5f * width) << " " << int(button->position.x + 0.5f * width)
                    << " " << (button->bHovered ? 1 : 0) << " " << button->caption.c_str() << "\n";
            }
    // The greeting on the main menu is clicked like a button.
    for (BasicLink* c = top->firstChild; c; c = c->next)
        if (MenuUserDisplay* user = dynamic_cast<MenuUserDisplay*>(static_cast<PlimBase*>(c))) {
            const UString& text = user->nameLine->text;
            const int half = int(0.5f * user->textWidth());
            out << "button 0 " << int(user->nameLine->position.y - 18.0f) << " " << text.c_str() << "\n";
            out << "caption " << -half << " " << half << " " << (user->bHovered ? 1 : 0) << " " << text.c_str() << "\n";
        }
    // What this frame's input holds, so that the test can keep a key or
    // button down until a frame has seen it; the buttons are followed only
    // while the pointer is held (-1).
    if (const PlimInput* input = PLIM->input) {
        int keys = 0;
        for (uint8_t down : input->keysNow) keys += down ? 1 : 0;
        out << "input " << keys << " " << (input->bMouseGrabbed ? int(input->buttonsNow[0]) : -1) << "\n";
    }
    watchMatch(static_cast<MyGlobal*>(gGlobal)->currentController, out);
    if (out.str() != last) writeMarker("screen", last = out.str());
}
