#pragma once
// The record that the event manager delivers. Input events carry no data of
// their own: receivers read keys and pointer from the input part.

class PlimBase;
class EventManager;
class ReferenceBase;

enum EventType {
    EVENT_REFERENCE_CLEARED = 0, // a weak reference lost its target
    EVENT_REFERENCE_DYING = 1,   // a referenced object announces that it goes away
    EVENT_FOCUS_LOST = 2,
    EVENT_FOCUS_GAINED = 3,
    EVENT_PRESS = 4,
    EVENT_DRAG = 5,
    EVENT_KEY = 6,
    EVENT_MOVE = 7
};

struct Event {
    int type = 0;
    PlimBase* sender = nullptr;
    PlimBase* target = nullptr;        // set by delivery
    EventManager* manager = nullptr;   // set by delivery
    ReferenceBase* reference = nullptr; // the reference concerned (types 0 and 1)
    PlimBase* other = nullptr;          // the next focus object (type 2)
};
