#include "BasicLink.h"

#include "RuntimeClass.h"

RuntimeClass BasicLink::runtimeClass("BasicLink", &BasicLink::runtimeClass,
                                     []() -> void* { return BasicLink::create(); });

RuntimeClass* BasicLink::getClass() { return &runtimeClass; }

BasicLink* BasicLink::create() { return new BasicLink(); }

BasicLink::~BasicLink() {
    if (parent) {
        parent->removeChild(this);
        parent = nullptr;
    }
    // Depth first, last child first: each child finds its parent already cleared.
    deleteChildren();
}

void BasicLink::deleteMe() { delete this; }

void BasicLink::addChild(BasicLink* child) {
    child->parent = this;
    child->next = nullptr;
    child->prev = lastChild;
    if (lastChild)
        lastChild->next = child;
    else
        firstChild = child;
    lastChild = child;
}

void BasicLink::addChildFirst(BasicLink* child) {
    child->parent = this;
    child->prev = nullptr;
    child->next = firstChild;
    if (firstChild)
        firstChild->prev = child;
    else
        lastChild = child;
    firstChild = child;
}

void BasicLink::insertChildAfter(BasicLink* child, BasicLink* after) {
    if (!after || after == lastChild) {
        addChild(child);
        return;
    }
    child->parent = this;
    child->prev = after;
    child->next = after->next;
    after->next->prev = child;
    after->next = child;
}

void BasicLink::removeChild(BasicLink* child) {
    if (child->prev)
        child->prev->next = child->next;
    else
        firstChild = child->next;
    if (child->next)
        child->next->prev = child->prev;
    else
        lastChild = child->prev;
    child->parent = nullptr;
}

uint32_t BasicLink::getNumChildren() const {
    uint32_t count = 0;
    for (BasicLink* c = firstChild; c; c = c->next)
        ++count;
    return count;
}

BasicLink* BasicLink::getChild(int index) const {
    BasicLink* c = firstChild;
    for (int i = 0; c && i < index; ++i)
        c = c->next;
    return c;
}

void BasicLink::deleteChildren() {
    while (lastChild) {
        BasicLink* child = lastChild;
        removeChild(child);
        delete child;
    }
}

void BasicLink::setChildrenSkip(bool skip) {
    for (BasicLink* c = firstChild; c; c = c->next)
        if (!c->bDestroyPending)
            c->bSkip = skip;
}
