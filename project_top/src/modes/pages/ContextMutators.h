#pragma once
// Six switches bound to the saved mutator options; every game started later
// plays with the ones that are on.
#include "screens/ContextOptionsPage.h"

class ContextMutators : public ContextOptionsPage {
public:
    ContextMutators();
    ~ContextMutators() override;
};
