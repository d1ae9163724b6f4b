#include "ReferenceList.h"

#include "ReferenceBase.h"

ReferenceList::~ReferenceList() {
    // Each set(null) unlinks the reference and tells its owner.
    while (firstChild)
        static_cast<ReferenceBase*>(firstChild)->set(nullptr);
}
