#pragma once
// A two-player scripted match that marks where each frame's work starts and
// ends, around the whole controller; the world's rules stay still.
#include "FrameMark.h"
#include "MatchHarness.h"
#include "ScriptedController.h"

#include <functional>

class TimedController : public ScriptedController {
public:
    TimedController();
    // The match as the game draws it at graphics detail 1, with frames of
    // frameSeconds, its world from build.
    static MatchSettings drawnAtDetail1(double frameSeconds);
    static TimedController* start(MatchHarness& run, const std::function<void(ScriptedController&)>& build);
    void tickContents(double time, double dt) override;
    void renderContents() override;
    void updateRules() override;

    FrameMark tickStart, tickEnd, renderStart, renderEnd;
};
