#include "Property.h"

#include "serial/Packet.h"
#include "util/PlimUtil.h"
#include "RuntimeClass.h"

RuntimeClass Property::runtimeClass("Property", &PlimBase::runtimeClass, nullptr);

RuntimeClass* Property::getClass() { return &runtimeClass; }

Property::Property(const UString& name, int flags) : flags(flags), name(name) {}

Property::~Property() {}

void Property::netSerialize(Packet* packet) {
    if (flags & packet->flags & (FILTER1 | FILTER2))
        return;
    for (BasicLink* link = firstChild; link; link = link->next)
        if (isLive(link))
            static_cast<PlimBase*>(link)->netSerialize(packet);
}

Property* Property::findFlagged() {
    for (BasicLink* link = lastChild; link; link = link->prev) {
        if (!isLive(link))
            continue;
        if (Property* found = static_cast<Property*>(link)->findFlagged())
            return found;
    }
    return (flags & FLAGGED) ? this : nullptr;
}

void Property::destroyFlagged(int mask) {
    for (BasicLink *link = firstChild, *following; link; link = following) {
        following = link->next;
        if (!link->bDestroyPending && (static_cast<Property*>(link)->flags & mask))
            static_cast<PlimBase*>(link)->deleteMe();
    }
    for (BasicLink* link = firstChild; link; link = link->next)
        if (!link->bDestroyPending)
            static_cast<Property*>(link)->destroyFlagged(mask);
}

UString Property::formatTrimmed(double value) {
    UString text = formatString("%.9lf", value);
    std::string& s = text.str();
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.push_back('0');
    }
    return text;
}
