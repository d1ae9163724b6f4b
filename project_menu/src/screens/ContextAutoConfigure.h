#pragma once
// The configuration check at start-up: keeps its two keys in the user's
// settings file ([ContextAutoConfigure]) and closes on its first render
// without drawing anything or changing any setting.
#include "core/Context.h"

class ContextAutoConfigure : public Context {
public:
    // Writes the missing keys with their defaults, then reads both.
    ContextAutoConfigure();
    ~ContextAutoConfigure() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;
    static PlimBase* create();

    void onDeactivate(bool removed) override;
    void renderContents() override;

    bool bAutoConfigure = true;
    bool bPauseAutoConfigure = false;
};
