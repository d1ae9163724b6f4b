#pragma once
// Typed weak reference: the holder reads the target as T.
#include "ReferenceBase.h"

template <class T>
class Reference : public ReferenceBase {
public:
    explicit Reference(PlimBase* owner) : ReferenceBase(owner) {}

    T* get() const { return static_cast<T*>(target); }
    operator T*() const { return get(); }
    T* operator->() const { return get(); }
};
