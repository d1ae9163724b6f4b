#include "ContextAutoConfigure.h"

#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "core/RuntimeClass.h"

// The class name is also the settings section.
RuntimeClass ContextAutoConfigure::runtimeClass("ContextAutoConfigure", &Context::runtimeClass,
                                                []() -> void* { return ContextAutoConfigure::create(); });

RuntimeClass* ContextAutoConfigure::getClass() { return &runtimeClass; }

PlimBase* ContextAutoConfigure::create() { return new ContextAutoConfigure(); }

ContextAutoConfigure::ContextAutoConfigure() {
    bDeleteWhenDone = true;
    MemoryIniFile* config = PLIM->config;
    if (config) {
        config->readSetting("ContextAutoConfigure", "bAutoConfigure", bAutoConfigure);
        config->readSetting("ContextAutoConfigure", "bPauseAutoConfigure", bPauseAutoConfigure);
    }
    if (!bPauseAutoConfigure) {
        bMousePointer = false;
        bEscapeCloses = false;
    }
}

ContextAutoConfigure::~ContextAutoConfigure() {}

void ContextAutoConfigure::onDeactivate(bool) {}

void ContextAutoConfigure::renderContents() { bDone = true; }
