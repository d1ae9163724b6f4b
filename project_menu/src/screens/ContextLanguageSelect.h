#pragma once
// The language choice at the first start in multi-language mode: one flag per
// language on dark blue; clicking a flag chooses it and closes the screen.
// Escape does not close it.
#include "core/Context.h"

class ContextLanguageSelect : public Context {
public:
    ContextLanguageSelect();
    ~ContextLanguageSelect() override;
};
