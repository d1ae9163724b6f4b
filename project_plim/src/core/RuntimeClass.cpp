#include "RuntimeClass.h"

#include "util/PlimUtil.h"
#include "RuntimeClassManager.h"

RuntimeClass::RuntimeClass(uint32_t id, const UString& name, RuntimeClass* parent,
                           Factory factory)
    : name(name), id(id), factory(factory), parent(parent == this ? nullptr : parent) {}

RuntimeClass::RuntimeClass(const char* name, RuntimeClass* parent, Factory factory)
    : RuntimeClass(hashName(name), UString(name), parent, factory) {}

RuntimeClass::~RuntimeClass() {}

bool RuntimeClass::isKindOf(const RuntimeClass* other) const {
    for (const RuntimeClass* c = this; c; c = c->parent)
        if (c == other)
            return true;
    return false;
}

void* RuntimeClass::create() const { return factory ? factory() : nullptr; }

RuntimeClass* RuntimeClass::findById(uint32_t id) {
    return RuntimeClassManager::getInstance()->findById(id);
}

void RuntimeClass::buildIndex() { RuntimeClassManager::getInstance()->buildIndex(); }

UString RuntimeClass::describe() const {
    return formatString("%d (%08x): %s", index, id, name.c_str());
}
