#include "PlimBase.h"

#include "Context.h"
#include "ErrorManager.h"
#include "input/Event.h"
#include "input/EventManager.h"
#include "Logger.h"
#include "serial/Packet.h"
#include "Plim.h"
#include "util/PlimUtil.h"
#include "PropertyContainer.h"
#include "PropertyInt.h"
#include "serial/RPC_PlimBase_add.h"
#include "serial/RPC_PlimBase_callNetPostReplicate.h"
#include "serial/RPC_PlimBase_callNetPostReplicateGlobal.h"
#include "serial/RPC_PlimBase_clear.h"
#include "serial/RPC_PlimBase_remove.h"
#include "serial/RPC_PlimBase_setState.h"
#include "serial/RPC_PlimBase_setStateRaw.h"
#include "ReferenceBase.h"
#include "serial/ReplicationRole.h"
#include "serial/RootObjectBase.h"
#include "RuntimeClass.h"

RuntimeClass PlimBase::runtimeClass("PlimBase", &BasicLink::runtimeClass,
                                    []() -> void* { return PlimBase::create(); });

RuntimeClass* PlimBase::getClass() { return &runtimeClass; }

PlimBase* PlimBase::create() { return new PlimBase(); }

PlimBase::PlimBase() {
    PLIM_ASSERT(PLIM != nullptr);
    PLIM->liveObjects.addChild(&objectLink);
}

PlimBase::~PlimBase() {
    if (objectUID > 0 && THEROLE)
        PLIM_ERROR("Deletion of registered object %d is not allowed (use NETDELETE instead).", objectUID);
    destroyChildren();
    if (objectLink.parent)
        objectLink.parent->removeChild(&objectLink);
    // The members then go: objectLink, then references (clearing every weak
    // reference to this object), then the StateBase and BasicLink parts.
}

void PlimBase::deleteMe() {
    // A registered object goes on every side at once, through the root.
    ReplicationRole* role = THEROLE;
    if (objectUID > 0 && role) {
        if (role->root) {
            role->root->destroyObject(this);
            return;
        }
        role->unregisterObject(this);
    }
    delete this;
}

void PlimBase::walkChildren(bool ticking, double time, double dt) {
    // The successor is read first: a child may only delete itself or a sibling
    // by setting bDestroyPending, which this walk carries out.
    for (BasicLink* link = firstChild; link;) {
        BasicLink* following = link->next;
        PlimBase* child = static_cast<PlimBase*>(link);
        if (child->bDestroyPending) {
            child->deleteMe();
        } else if (!child->bSkip) {
            if (ticking)
                child->tick(time, dt);
            else
                child->render();
            if (child->bDestroyPending)
                child->deleteMe();
        }
        link = following;
    }
}

void PlimBase::tick(double time, double dt) {
    advance(time, dt);
    walkChildren(true, time, dt);
}

void PlimBase::render() { walkChildren(false, 0.0, 0.0); }

PlimBase* PlimBase::pick(int& n) {
    if (bPaused)
        return nullptr;
    // Topmost first: later children, each child's subtree before the child.
    for (BasicLink* link = lastChild; link; link = link->prev) {
        if (link->bDestroyPending || link->bSkip)
            continue;
        PlimBase* hit = static_cast<PlimBase*>(link)->pick(n);
        if (hit && --n < 0)
            return hit;
    }
    if (!isMouseInside())
        return nullptr;
    return --n < 0 ? this : nullptr;
}

bool PlimBase::previewEvent(Event* event) {
    if (bPaused)
        return true;
    PlimBase* up = getParentObject();
    if (up && up->previewEvent(event))
        return true;
    return onPreviewEvent(event);
}

bool PlimBase::bubbleEvent(Event* event) {
    if (bPaused)
        return false;
    if (onBubbleEvent(event))
        return true;
    PlimBase* up = getParentObject();
    return up ? up->bubbleEvent(event) : false;
}

bool PlimBase::onPreviewEvent(Event* event) {
    return handler ? handler->onPreviewEvent(event) : false;
}

bool PlimBase::onEvent(Event* event) { return handler ? handler->onEvent(event) : false; }

bool PlimBase::onBubbleEvent(Event* event) {
    return handler ? handler->onBubbleEvent(event) : false;
}

void PlimBase::doClear() { destroyChildren(); }

void PlimBase::doAdd(PlimBase* child) { addChild(child); }

void PlimBase::doRemove(PlimBase* child) { removeChild(child); }

bool PlimBase::mayAdopt(const PlimBase* child) const {
    // Linking an object below itself would make a cycle of the tree, and the
    // root stays where its role put it.
    if (THEROLE && child == THEROLE->root)
        return false;
    for (const BasicLink* up = this; up; up = up->parent)
        if (up == child)
            return false;
    return true;
}

void PlimBase::destroyChildren() {
    while (lastChild)
        static_cast<PlimBase*>(lastChild)->deleteMe();
}

bool PlimBase::isPaused() const {
    for (const PlimBase* o = this; o; o = o->getParentObject())
        if (o->bPaused)
            return true;
    return false;
}

PlimBase* PlimBase::getParentObject() const {
    // List heads and other plain nodes may hold engine objects too.
    return dynamic_cast<PlimBase*>(parent);
}

PlimBase* PlimBase::findContext() {
    for (PlimBase* o = this; o; o = o->getParentObject())
        if (o->getClass()->isKindOf(&Context::runtimeClass))
            return o;
    PLIM_ERROR("Could not find any Context object.");
}

void PlimBase::notifyReferencesDying() {
    EventManager* events = PLIM->eventManager;
    for (BasicLink* link = references.firstChild; link;) {
        BasicLink* following = link->next;
        if (!link->bDestroyPending && !link->bSkip && events) {
            ReferenceBase* ref = static_cast<ReferenceBase*>(link);
            Event event;
            event.type = EVENT_REFERENCE_DYING;
            event.sender = this;
            event.reference = ref;
            events->sendEvent(&event, ref->owner);
        }
        link = following;
    }
}

namespace {

const uint32_t OBJECT_MARKER = 0xFEFDFCFB;

} // namespace

void PlimBase::addPropertiesTo(PlimBase* container) {
    container->addChild(new PropertyInt("objectUID", Property::FILTER1 | Property::FILTER2, &objectUID));
    container->addChild(createPropertyGroup());
}

PropertyContainer* PlimBase::createPropertyContainer() {
    UString name = getClass()->name +
                   formatString(" (%08x)", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this)));
    PropertyContainer* container = new PropertyContainer(name, 0);
    addPropertiesTo(container);
    return container;
}

void PlimBase::netSerialize(Packet* packet) {
    PropertyContainer* properties = createPropertyContainer();
    properties->netSerializeProperty(packet);
    delete properties;

    if (packet->flags & Packet::FLAG_MARKER) {
        uint32_t marker = OBJECT_MARKER;
        packet->doBytes(&marker, 4);
        if (!packet->bWriting && marker != OBJECT_MARKER && !packet->hasError()) {
            // A damaged stream: the caller drops the packet.
            logTagged("netSerialize", "Bad marker 0x%08x in object %d.", marker, objectUID);
            packet->setError();
        }
    }

    bool hasChildren = firstChild != nullptr;
    packet->doBool(&hasChildren);
    if (!hasChildren)
        return;

    if (packet->bWriting) {
        bool registeredOnly = (packet->flags & Packet::FLAG_FILTER1) != 0;
        for (BasicLink* link = firstChild; link; link = link->next) {
            PlimBase* child = static_cast<PlimBase*>(link);
            if (!registeredOnly || child->objectUID > 0)
                packet->doPointer2(child);
        }
        PlimBase* end = nullptr;
        packet->doPointer2(end);
        return;
    }

    PlimBase* child = nullptr;
    while (packet->doPointer2(child)) {
        if (!child) {
            logTagged("netSerialize", "Skipping unknown child of object %d.", objectUID);
            continue;
        }
        if (!mayAdopt(child)) {
            logTagged("netSerialize", "Skipping child %d of object %d.", child->objectUID, objectUID);
            continue;
        }
        // A child read again (or sitting elsewhere) moves to the end here.
        if (child->parent)
            child->parent->removeChild(child);
        addChild(child);
    }
}

void PlimBase::clear() {
    RPC_PlimBase_clear call(this);
    call.invoke();
    call.executeLocally();
}

void PlimBase::add(PlimBase* obj) {
    RPC_PlimBase_add call(this, obj);
    call.invoke();
    call.executeLocally();
}

void PlimBase::remove(PlimBase* obj) {
    RPC_PlimBase_remove call(this, obj);
    call.invoke();
    call.executeLocally();
}

void PlimBase::callNetPostReplicate() {
    RPC_PlimBase_callNetPostReplicate call(this);
    call.invoke();
    call.executeLocally();
}

void PlimBase::callNetPostReplicateGlobal() {
    RPC_PlimBase_callNetPostReplicateGlobal call(this);
    call.invoke();
    call.executeLocally();
}

void PlimBase::setStateRaw(int state) {
    RPC_PlimBase_setStateRaw call(this, state);
    call.invoke();
    call.executeLocally();
}

void PlimBase::setState(int state, double delay) {
    RPC_PlimBase_setState call(this, state, delay);
    call.invoke();
    call.executeLocally();
}

void PlimBase::doSetState(int state, double delay) {
    ReplicationRole* role = THEROLE;
    if (delay == 0.0 || !role) {
        StateBase::setState(state, delay, false);
        return;
    }
    // Clearing the flag lets calls issued by an immediate change inside
    // setState go out from the server to the clients.
    bool savedOnClient = role->bExecutesOnClient;
    if (role->isServerSide()) {
        role->bExecutesOnClient = false;
        StateBase::setState(state, delay, false);
    }
    role->bExecutesOnClient = savedOnClient;

    bool savedOnServer = role->bExecutesOnServer;
    if (!role->isServerSide()) {
        role->bExecutesOnServer = false;
        StateBase::setState(state, 999999.0, false);
    }
    role->bExecutesOnServer = savedOnServer;
}

bool PlimBase::hasFocus() {
    EventManager* events = PLIM ? PLIM->eventManager : nullptr;
    return events && events->hasFocus(this);
}

bool PlimBase::isFocused() {
    EventManager* events = PLIM ? PLIM->eventManager : nullptr;
    return events && events->getFocus() == this;
}

bool PlimBase::isHovered() {
    EventManager* events = PLIM ? PLIM->eventManager : nullptr;
    return events && events->getHover() == this;
}
