#pragma once
// The shared, empty layer drawn above the main menu.
#include "core/Context.h"

class ContextPost : public Context {
public:
    ContextPost();
    ~ContextPost() override;
};
