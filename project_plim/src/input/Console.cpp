#include "Console.h"

#include "core/ErrorManager.h"
#include "render/FontGDI.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "PlimInput.h"
#include "util/PlimUtil.h"
#include "core/RuntimeClass.h"

#include <cstdarg>
#include <cstdio>

namespace {
const int KEY_NEXT = 209; // Page Down
}

RuntimeClass Console::runtimeClass("Console", &PlimBase::runtimeClass, nullptr);

RuntimeClass* Console::getClass() { return &runtimeClass; }

Console::Console() {
    logTagged("Console", "Starting console...");
}

Console::~Console() {}

void Console::print(const char* format, ...) {
    bool following = bottomLine == (int)lines.size() - 1;
    va_list args;
    va_start(args, format);
    UString text;
    formatStringV(text, format, args);
    va_end(args);
    lines.push_back(text);
    if (PLIM->log) PLIM->log->print("> %s", text.c_str());
    if (following) ++bottomLine;
}

void Console::tick(double, double) {
    PlimInput* input = PLIM->input;
    if (!input) return;
    if (input->keysNow[KEY_LSHIFT] && input->keysNow[KEY_GRAVE] && !input->keysPrevious[KEY_GRAVE]) {
        bVisible = !bVisible;
        return;
    }
    if (!bVisible) return;

    for (const char* c = input->getTypedText(); *c; ++c) {
        if (*c == 13) {
            executeCommand(UString(inputLine));
            inputLine = UString();
        } else if (*c == 8) {
            if (!inputLine.isEmpty()) inputLine = inputLine.substr(0, inputLine.length() - 1);
        } else {
            inputLine += *c;
        }
    }

    if (input->keysNow[KEY_PRIOR]) {
        if (bottomLine > 0) --bottomLine;
    } else if (input->keysNow[KEY_NEXT]) {
        // Unsigned on purpose: an empty console (-1) never scrolls.
        if ((uint32_t)bottomLine < (uint32_t)lines.size() - 1u) ++bottomLine;
    }
}

void Console::render() {
    if (!bVisible || !PLIM->debugFont || !PLIM->graphics) return;
    FontGDI* font = PLIM->debugFont;
    int height = PLIM->graphics->screenHeight;
    // The cursor blinks: shown for an eighth of a second, hidden for the next.
    if ((long long)(PLIM->getTime() * 8.0) % 2 == 0)
        font->print(0, height - 12, "> %s_", inputLine.c_str());
    else
        font->print(0, height - 12, "> %s", inputLine.c_str());
    int y = height - 22;
    for (int i = bottomLine, left = maxLines; i >= 0 && left >= 0; --i, --left, y -= 10)
        font->print(8, y, "%s", lines[i].c_str());
}

void Console::executeCommand(const UString& line) {
    int number = 0;
    double value = 0.0;
    if (line == "error") {
        PLIM_ERROR("Error requested.");
    } else if (sscanf(line.c_str(), "debug %d", &number) == 1) {
        PLIM->debugLevel = number;
    } else if (sscanf(line.c_str(), "fps %lf", &value) == 1) {
        PLIM->frameTimer.start(value);
    } else if (sscanf(line.c_str(), "fontcache %d", &number) == 1) {
        if (PLIM->graphics) PLIM->graphics->bEnableFontCache = number != 0;
    } else if (sscanf(line.c_str(), "rel %d", &number) == 1) {
        PLIM->bDebugLocked = number != 0;
    } else if (line == "crash") {
        PLIM_ERROR("Crash requested.");
    } else if (!line.isEmpty()) {
        print("Unknown command: %s", line.c_str());
    }
}
