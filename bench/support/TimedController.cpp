#include "TimedController.h"

TimedController::TimedController() : ScriptedController(2) {}

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
