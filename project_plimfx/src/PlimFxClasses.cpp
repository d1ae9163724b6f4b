#include "PlimFxClasses.h"

#include "ContextBlender.h"
#include "FontQuad.h"
#include "FontQuadCacheEntry.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"

void registerPlimFxClasses() {
    static RuntimeClass* const records[] = {
        &FontQuad::runtimeClass,
        &FontQuadCacheEntry::runtimeClass,
        &ContextBlender::runtimeClass,
    };
    static_assert(sizeof(records) / sizeof(records[0]) == PLIMFX_CLASS_COUNT,
                  "PLIMFX_CLASS_COUNT must match the layer's list");
    RuntimeClassManager* m = RuntimeClassManager::getInstance();
    for (RuntimeClass* r : records)
        m->registerClass(r);
}
