#include "TimedController.h"

TimedController::TimedController() : ScriptedController(2) {}

MatchSettings TimedController::drawnAtDetail1(double frameSeconds) {
    MatchSettings settings;
    settings.draw = true;
    settings.frameRate = frameSeconds;
    settings.graphicsDetail = 1;
    return settings;
}

TimedController* TimedController::start(MatchHarness& run, const std::function<void(ScriptedController&)>& build) {
    TimedController* timed = nullptr;
    run.start([&] {
        timed = new TimedController();
        timed->build = build;
        return timed;
    });
    return timed;
}

void TimedController::tickContents(double time, double dt) {
    tickStart.take();
    ScriptedController::tickContents(time, dt);
    tickEnd.take();
}

void TimedController::renderContents() {
    renderStart.take();
    ScriptedController::renderContents();
    renderEnd.take();
}

void TimedController::updateRules() {}
