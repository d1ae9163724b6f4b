#include "ObjectLink.h"

ObjectLink::~ObjectLink() {
    // A list head that goes first (the engine's live list) leaves its entries
    // parentless, so objects deleted later do not touch it.
    for (BasicLink* c = firstChild; c; c = c->next)
        c->parent = nullptr;
    firstChild = nullptr;
    lastChild = nullptr;
    parent = nullptr;
}
