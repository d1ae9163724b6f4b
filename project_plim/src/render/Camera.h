#pragma once
// The perspective view through which a Context draws. At depth 0 and the
// default distance one world unit is one pixel of the virtual screen
// (fovWidth x fovHeight), whatever the window's size. tick derives the eye and
// centre actually used (whole units in x and y); render loads the whole view
// into the projection matrix and leaves the model-view matrix to the objects.
#include "core/PlimBase.h"
#include "util/Rect.h"
#include "util/V3.h"

class Camera : public PlimBase {
public:
    // Reads the virtual screen and view offset from the graphics device
    // (640 x 480 and no offset when there is none).
    Camera();
    ~Camera() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;
    static PlimBase* create();

    // Replaces the base tick: no state machine, no children.
    void tick(double time, double dt) override;
    // Loads the projection; draws nothing. Needs the graphics device.
    void render() override;
    // Called by the owning Context after its contents have ticked.
    virtual void updateCamera(double time, double dt);

    // The virtual screen of the graphics device, 640 x 480 without one.
    static int fovWidth();
    static int fovHeight();

    // World units per virtual pixel at depth z.
    float getUnitsPerPixel(float z);
    // The part of the plane at depth z that the view covers (top > bottom).
    Rect getVisibleRect(float z);
    // Screen points are virtual pixels from the view's bottom-left corner, y up.
    V3 screenToWorld(float sx, float sy, float z);
    // The z passes through.
    V3 worldToScreen(float x, float y, float z);

    V3 position; // z is the distance plane: negative, the scene lies towards +z
    V3 target;
    V3 eye;      // derived by tick
    V3 center;   // derived by tick
    float roll = 0.0f; // radians; up is (sin roll, cos roll, 0)

protected:
    // The graphics device's settings, or their defaults without a device.
    static float fovAspect();
    static float viewOffsetX();
    static float viewOffsetY();
};
