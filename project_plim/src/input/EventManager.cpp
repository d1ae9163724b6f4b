#include "EventManager.h"

#include "core/Plim.h"
#include "PlimInput.h"
#include "serial/ReplicationRole.h"

EventManager::EventManager() {}

EventManager::~EventManager() {
    hover.set(nullptr);
    focus.set(nullptr);
    role.set(nullptr);
}

void EventManager::sendEvent(Event* event, PlimBase* target) { deliver(event, target); }

void EventManager::sendEvent(int type, PlimBase* sender, PlimBase* target) {
    Event event;
    event.type = type;
    event.sender = sender;
    deliver(&event, target ? target : sender);
}

void EventManager::deliver(Event* event, PlimBase* target) {
    event->target = target;
    event->manager = this;
    if (!target)
        return;
    PlimBase* up = target->getParentObject();
    if (up && up->previewEvent(event))
        return;
    // Only the target's own flag: a paused ancestor has already swallowed it above.
    if (!target->bPaused && target->onEvent(event))
        return;
    if (up)
        up->bubbleEvent(event);
}

bool EventManager::hasFocus(PlimBase* object) const {
    for (PlimBase* o = focus.target; o; o = o->getParentObject())
        if (o == object)
            return true;
    return false;
}

void EventManager::setFocus(PlimBase* object) {
    if (object == focus.target)
        return;
    if (focus.target) {
        Event lost;
        lost.type = EVENT_FOCUS_LOST;
        lost.sender = this;
        lost.other = object;
        deliver(&lost, focus.target);
    }
    focus.set(object);
    if (focus.target) {
        Event gained;
        gained.type = EVENT_FOCUS_GAINED;
        gained.sender = this;
        deliver(&gained, focus.target);
    }
}

void EventManager::sendInputEvent(int type) {
    Event event;
    event.type = type;
    event.sender = this;
    // Read afresh for every event: a handler may have moved the focus.
    deliver(&event, focus.target ? focus.target : this);
}

void EventManager::update(PlimBase* root) {
    if (role.target)
        THEROLE = dynamic_cast<ReplicationRole*>(role.target);

    PlimInput* input = PLIM->input;
    int n = input && input->isKeyDown(KEY_TAB) ? 1 : 0;
    hover.set(root ? root->pick(n) : nullptr);

    PlimBase* current = focus.target;
    if (current && (current->bSkip || current->isPaused()))
        setFocus(nullptr);

    if (input) {
        const bool pressed = input->buttonsNow[0] && !input->buttonsPrevious[0];
        if (pressed) {
            for (int i = 0; i < 3; ++i)
                pressPoint[i] = input->mousePosition[i];
            PlimBase* over = hover.target;
            if (over != focus.target && !(over && over->isPaused()))
                setFocus(over);
            sendInputEvent(EVENT_PRESS);
        }
        if (input->mouseDelta[0] != 0.0f || input->mouseDelta[1] != 0.0f ||
            input->mouseDelta[2] != 0.0f) {
            sendInputEvent(EVENT_MOVE);
            if (input->buttonsNow[0])
                sendInputEvent(EVENT_DRAG);
        }
        int key = input->getRepeatedKey();
        if (key != 0)
            sendInputEvent(EVENT_KEY);
    }

    THEROLE = nullptr;
}
