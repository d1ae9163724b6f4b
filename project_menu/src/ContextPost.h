#pragma once
// The shared, empty layer drawn above the main menu.
#include "Context.h"

class ContextPost : public Context {
public:
    ContextPost();
    ~ContextPost() override;
};
