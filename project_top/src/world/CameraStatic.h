#pragma once
// A camera looking straight at a fixed point, raised once so that it shows
// nothing below the floor.
#include "CameraBlenderFactor.h"

class CameraStatic : public CameraBlenderFactor {
public:
    // Eye at (x, y, z), target at (x, y, 0).
    CameraStatic(float x, float y, float z);
    ~CameraStatic() override;
};
