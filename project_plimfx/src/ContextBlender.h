#pragma once
// A Context whose camera is a CameraBlender, so everything it shows can be
// viewed through blended, delayed and shaken cameras. Its camera field always
// points at that CameraBlender (see getCameraBlender).
#include "core/Context.h"

class CameraBlender;

class ContextBlender : public Context {
public:
    ContextBlender();
    ~ContextBlender() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;
    static PlimBase* create();

    CameraBlender* getCameraBlender();
};
