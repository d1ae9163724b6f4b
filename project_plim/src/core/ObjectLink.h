#pragma once
// Non-owning node carrying an engine object: each object embeds one in the
// engine's list of live objects. Destroying it neither unlinks it nor deletes
// anything; its owner removes it from the list first.
#include "BasicLink.h"

class PlimBase;

class ObjectLink : public BasicLink {
public:
    explicit ObjectLink(PlimBase* object) : object(object) {}
    ~ObjectLink() override;

    PlimBase* object;
};
