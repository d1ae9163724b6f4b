#pragma once
// Delivers events to engine objects through the object tree, at once, on the
// caller's stack: the target's ancestors may preview and swallow an event, then
// the target handles it unless paused, then the ancestors get it back.
// It also keeps the focus object, which receives the frame's pointer and key
// events, and the hover object under the mouse; events with no focus object
// go to the event manager itself (and so to its handler).
#include "Event.h"
#include "core/PlimBase.h"
#include "core/Reference.h"

class EventManager : public PlimBase {
public:
    EventManager();
    ~EventManager() override;

    // Delivers a prepared event; fills in its target and manager.
    void sendEvent(Event* event, PlimBase* target);
    // Builds { type, sender, target or else the sender, this } and delivers it.
    void sendEvent(int type, PlimBase* sender, PlimBase* target);

    // True when object is the focus object or one of its ancestors.
    bool hasFocus(PlimBase* object) const;
    // Focus lost (to the old object, with the new one as other), then focus
    // gained (to the new one); nothing when object already has the focus.
    void setFocus(PlimBase* object);
    // Once per running frame with the root context: picks the hover object,
    // moves the focus on a click and sends the frame's press, move, drag and
    // key events.
    void update(PlimBase* root);

    PlimBase* getFocus() const { return focus.target; }
    PlimBase* getHover() const { return hover.target; }

    // A network role (an engine object implementing ReplicationRole) under
    // which update dispatches; empty unless a program sets it.
    Reference<PlimBase> role{this};
    float pressPoint[3] = {};
    Reference<PlimBase> focus{this};
    Reference<PlimBase> hover{this};

protected:
    void deliver(Event* event, PlimBase* target);

private:
    // The frame's input events go to the focus object, else here.
    void sendInputEvent(int type);
};
