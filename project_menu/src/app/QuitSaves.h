#pragma once
// The saves made when the player quits from the menus (Escape's "Yes" on the
// main menu, its Quit button: the last screen closing), while a screen is
// still there to tell him of one that fails. A dialog then names each file and
// why, and offers to try again or to quit without saving; closed by Escape, it
// leaves the player in the game. A signal, a lost display or the window's close
// control end the game at once: the shutdown's own saves stand for those.
#include "core/Reference.h"
#include "util/UString.h"

#include <utility>
#include <vector>

class Context;
class ContextManager;

class QuitSaves {
public:
    // The last open screen, done, is about to close: true when it may (the
    // saves are written, or the player chose to go without them). Else it
    // stays open, with the dialog over it.
    bool letGo(ContextManager& stack, Context* last);
    // Acts on the dialog's answer, once given: closes that screen again, to
    // try again or to quit without the failed saves.
    void followAnswer();

    static const char* const TRY_AGAIN;
    static const char* const QUIT_UNSAVED;

    int answer = -1; // the dialog's: 0 try again, 1 quit without saving

private:
    void ask(ContextManager& stack);

    std::vector<std::pair<UString, UString>> failed;
    // The screen kept open under the dialog; nobody needs telling when it goes.
    Reference<Context> waiting{nullptr};
    bool bSettled = false;
};
