#include "ContextAutoConfigure.h"

#include "MemoryIniFile.h"
#include "Plim.h"
#include "RuntimeClass.h"

// The class name is also the settings section.
RuntimeClass ContextAutoConfigure::runtimeClass("ContextAutoConfigure", &Context::runtimeClass,
                                                []() -> void* { return ContextAutoConfigure::create(); });

RuntimeClass* ContextAutoConfigure::getClass() { return &runtimeClass; }

PlimBase* ContextAutoConfigure::create() { return new ContextAutoConfigure(); }

ContextAutoConfigure::ContextAutoConfigure() {
    bDeleteWhenDone = true;
    MemoryIniFile* config = PLIM->config;
    if (config) {
        const char* section = "ContextAutoConfigure";
        if (!config->hasKey(section, "bAutoConfigure")) config->setBool(section, "bAutoConfigure", true);
        bAutoConfigure = config->getBool(section, "bAutoConfigure");
        if (!config->hasKey(section, "bPauseAutoConfigure")) config->setBool(section, "bPauseAutoConfigure", false);
        bPauseAutoConfigure = config->getBool(section, "bPauseAutoConfigure");
    }
    if (!bPauseAutoConfigure) {
        bMousePointer = false;
        bEscapeCloses = false;
    }
}

ContextAutoConfigure::~ContextAutoConfigure() {}

void ContextAutoConfigure::onDeactivate(bool) {}

void ContextAutoConfigure::renderContents() { bDone = true; }
