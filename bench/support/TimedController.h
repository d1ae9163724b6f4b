#pragma once
// A two-player scripted match that marks where each frame's work starts and
// ends, around the whole controller; the world's rules stay still.
#include "FrameMark.h"
#include "ScriptedController.h"

class TimedController : public ScriptedController {
public:
    TimedController();
    void tickContents(double time, double dt) override;
    void renderContents() override;
    void updateRules() override;

    FrameMark tickStart, tickEnd, renderStart, renderEnd;
};
