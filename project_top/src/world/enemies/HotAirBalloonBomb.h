#pragma once
// The hot-air balloon with a bomb under it, dropped over a palm of player 0
// (kept when there is no palm).
#include "HotAirBalloon.h"

class HotAirBalloonBomb : public HotAirBalloon {
public:
    static constexpr int POINTS = 200;

    HotAirBalloonBomb();
    ~HotAirBalloonBomb() override;

    void onSpawn() override;
};
