#include "ReferenceBase.h"

#include "input/Event.h"
#include "input/EventManager.h"
#include "serial/Packet.h"
#include "Plim.h"
#include "PlimBase.h"

ReferenceBase::~ReferenceBase() { set(nullptr); }

void ReferenceBase::set(PlimBase* newTarget) {
    PlimBase* old = target;
    if (old)
        old->references.removeChild(this);
    target = newTarget;
    if (newTarget)
        newTarget->references.addChild(this);
    if (!newTarget && old && owner) {
        // Without an event manager (a bare engine, or late in shutdown) the
        // reference still clears; there is just no one to deliver the news.
        EventManager* events = PLIM ? PLIM->eventManager : nullptr;
        if (events) {
            Event event;
            event.type = EVENT_REFERENCE_CLEARED;
            event.reference = this;
            events->sendEvent(&event, owner);
        }
    }
}

void ReferenceBase::netSerialize(Packet* packet) {
    if (packet->bWriting) {
        PlimBase* object = target;
        packet->doPointer2(object);
        return;
    }
    PlimBase* read = nullptr;
    packet->doPointer2(read);
    set(read);
}
