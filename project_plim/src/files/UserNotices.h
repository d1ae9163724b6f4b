#pragma once
// Things the player must hear about that happened outside any screen, such as
// a saved file that was damaged or could not be written. Engine code posts a
// notice (and logs it itself); the application shows the pending notices once,
// at its next chance, and they are gone.
#include "util/UString.h"

#include <vector>

class UserNotices {
public:
    static void post(const UString& text);
    static bool pending();
    // The pending notices, oldest first; none remain afterwards.
    static std::vector<UString> take();
    // Writes text as a line on standard error, unless it was said before.
    static void say(const UString& text);
    // A notice no screen showed, said as the game's own lines are: after the
    // program's name. Unless it was said before, with or without the name.
    static void sayAsProgram(const UString& notice);
};
