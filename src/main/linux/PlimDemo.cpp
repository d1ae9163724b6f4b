// plim-demo: starts the engine, runs frames over one context that draws with
// the debug font, and shuts the engine down again.
//
//   plim-demo [--frames N]   N frames, then a clean exit (default: until closed)
//
// Like the game, it needs the static settings file in the working folder; it
// writes one with the edition's defaults when there is none, and a windowed
// settings file when the user has none yet. Escape, Alt+F4 or closing the
// window ends it. Exit status 0, 2 on a usage error, 255 on a fatal engine error.
#include "core/Context.h"
#include "render/FontGDI.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class DemoContext : public Context {
public:
    DemoContext() { clearColour = UColor(0x20, 0x30, 0x60, 0xff); }

    void tickContents(double time, double dt) override {
        if (PLIM->input && PLIM->input->isKeyPressed(KEY_ESCAPE)) bDone = true;
        Context::tickContents(time, dt);
    }

    void renderContents() override {
        FontGDI* font = PLIM->debugFont;
        int top = PLIM->graphics->screenHeight / 2 - 30;
        font->print(40, top, "Plim engine demo");
        font->print(40, top + 15, "frame %d, context time %.3lf s", PLIM->frameCount, time);
        font->print(40, top + 30, "%.1lf frames per second", PLIM->fps);
        font->print(40, top + 45, "Shift+` opens the console, F9 saves a screenshot, Escape quits.");
        Context::renderContents();
    }
};

void writeIfMissing(const UString& path, const char* text) {
    if (fileExists(path)) return;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return;
    fputs(text, file);
    fclose(file);
}

bool parseArguments(int argc, char** argv, long& frames) {
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            char* end = nullptr;
            frames = strtol(argv[++i], &end, 10);
            if (*end != '\0' || frames < 0) return false;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    long frames = -1;
    if (!parseArguments(argc, argv, frames)) {
        fprintf(stderr, "usage: plim-demo [--frames N]\n");
        return 2;
    }

    writeIfMissing(UString("./") + PLIM_BUILD_NAME + ".cfg.static",
                   "[Language]\nbMultilanguage=Yes\nsingleLanguage=0\n[Edition]\nbHoliday=No\n"
                   "[Graphics]\nditherDepth=0\n[Input]\nhardwareMouseScaling=1.00000000\n");
    writeIfMissing(getUserDataFolder(true) + PLIM_BUILD_NAME + ".cfg",
                   "[PlimGraphics]\nbFullScreen=No\n[PlimInput]\nbTrackJoystick=No\n");

    new Plim();
    DemoContext* root = new DemoContext();
    PLIM->log->print("%s", "Entering game loop.");

    bool quit = false;
    for (long frame = 0; !quit && frame != frames; ++frame) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) quit = true;
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_F4 && (event.key.keysym.mod & KMOD_ALT))
                quit = true;
            if (event.type == SDL_MOUSEBUTTONDOWN)
                PLIM->input->setMouseGrab(true, event.button.x, event.button.y, 0.0f);
            if (event.type == SDL_ACTIVEEVENT && (event.active.state & SDL_APPINPUTFOCUS))
                PLIM->bWindowFocus = event.active.gain != 0;
            PLIM->sdlOnEvent(&event);
        }
        PLIM->frame(root);
        if (root->bDone) quit = true;
    }

    delete root;
    delete PLIM;
    PLIM = nullptr;
    return 0;
}
