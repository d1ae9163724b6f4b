#pragma once
// The engine's live objects, counted for soak tests and benchmarks that
// compare a run's end with its start.
#include <map>
#include <string>

class LiveObjects {
public:
    // Live objects by class name. One-shot sounds still ringing out end on
    // their own and are left out; music and looping voices count.
    static std::map<std::string, int> byClass();
    // All of them, as byClass counts.
    static int count();
    // Every font's cache of drawn text, emptied as the engine does when the
    // display comes back: text drawn once otherwise stays cached.
    static void dropFontCaches();
};
