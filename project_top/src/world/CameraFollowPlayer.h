#pragma once
// A camera centred on one player's vehicle; it stays put without one.
#include "CameraBlenderFactor.h"

class CameraFollowPlayer : public CameraBlenderFactor {
public:
    explicit CameraFollowPlayer(int player);
    ~CameraFollowPlayer() override;

    void tick(double time, double dt) override;

    int32_t player;
};
