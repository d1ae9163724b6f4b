#include "MenuClasses.h"

#include "screens/ContextAutoConfigure.h"
#include "ContextManager.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"

void registerMenuClasses() {
    static RuntimeClass* const records[] = {
        &ContextManager::runtimeClass,
        &ContextAutoConfigure::runtimeClass,
    };
    static_assert(sizeof(records) / sizeof(records[0]) == MENU_CLASS_COUNT,
                  "MENU_CLASS_COUNT must match the layer's list");
    RuntimeClassManager* m = RuntimeClassManager::getInstance();
    for (RuntimeClass* r : records)
        m->registerClass(r);
}
