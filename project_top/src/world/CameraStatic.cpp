#include "CameraStatic.h"

#include "CameraDefault.h"

CameraStatic::CameraStatic(float x, float y, float z) {
    position = V3(x, y, z);
    target = V3(x, y, 0.0f);
    CameraDefault::clampToFloor(*this);
}

CameraStatic::~CameraStatic() {}
