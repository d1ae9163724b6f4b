#include "ContextBlender.h"

#include "CameraBlender.h"
#include "core/RuntimeClass.h"

RuntimeClass ContextBlender::runtimeClass("ContextBlender", &Context::runtimeClass,
                                          []() -> void* { return ContextBlender::create(); });

RuntimeClass* ContextBlender::getClass() { return &runtimeClass; }

PlimBase* ContextBlender::create() { return new ContextBlender(); }

ContextBlender::ContextBlender() {
    // Context made a plain camera; this context views through a blender.
    if (camera) camera->deleteMe();
    camera = new CameraBlender();
}

ContextBlender::~ContextBlender() {}

CameraBlender* ContextBlender::getCameraBlender() { return static_cast<CameraBlender*>(camera); }
