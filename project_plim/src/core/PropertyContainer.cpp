#include "PropertyContainer.h"

#include "serial/Packet.h"
#include "RuntimeClass.h"

RuntimeClass PropertyContainer::runtimeClass("PropertyContainer", &Property::runtimeClass, nullptr);

RuntimeClass* PropertyContainer::getClass() { return &runtimeClass; }

PropertyContainer::PropertyContainer(const UString& name, int flags) : Property(name, flags) {}

void PropertyContainer::netSerializeProperty(Packet* packet) {
    for (BasicLink* link = firstChild; link; link = link->next) {
        if (!isLive(link))
            continue;
        Property* child = static_cast<Property*>(link);
        // Both sides build the same tree, so skipped properties leave no trace.
        if (child->flags & (FILTER1 | FILTER2))
            continue;
        if ((child->flags & WRITE_ONLY) && !packet->bWriting)
            continue;
        if ((child->flags & READ_ONLY) && packet->bWriting)
            continue;
        child->netSerializeProperty(packet);
    }
}

UString PropertyContainer::toString() { return firstChild ? UString("...") : UString("(empty)"); }
