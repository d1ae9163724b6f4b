#pragma once
// The match camera: keeps both players' vehicles in view, zooming out to a
// view twice as wide when they drift apart and back when they close in.
#include "CameraBlenderFactor.h"

class CameraDefault : public CameraBlenderFactor {
public:
    static constexpr float MARGIN = 64.0f;         // around the vehicles' box
    static constexpr float ZOOM_BACK_SHARE = 0.9f; // hysteresis of the zoom-in
    static constexpr float FLOOR = -250.0f;        // lowest world y shown

    CameraDefault();
    ~CameraDefault() override;

    void tick(double time, double dt) override;

    // Raises eye and target together so the view at depth 0 shows nothing
    // below FLOOR.
    static void clampToFloor(Camera& camera);

    bool bZoomedOut = false;
    float zoomStartZ;
    float zoomTargetZ;
    float zoomProgress = 1.0f;
};
