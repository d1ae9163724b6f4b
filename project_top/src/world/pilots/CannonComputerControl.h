#pragma once
// The computer gunner: scores three kinds of target (an opponent's bomb about
// to hit one of its palms, the opponent's aircraft, a visible bonus balloon),
// aims the barrel at the best with the shared aim solver and fires at random
// intervals that shrink with the computer skill. Only the controls differ
// from a human's cannon.
#include "world/Cannon.h"

class CannonComputerControl : public Cannon {
public:
    explicit CannonComputerControl(int owner);
    ~CannonComputerControl() override;

    void readControls() override;
    // The cannon, then the three scores while the match's AI debug flag is set.
    void render() override;

    // Opponent's aircraft while active: highest close by and flying at us.
    void scoreVehicle();
    // Visible balloons, by distance.
    void scanBonuses();
    // Opponent's bombs, by how near their fall point is to a standing palm of ours.
    void scanBombs();

    double nextFireTime = 0.0; // 0: no shot due, only a new time is drawn
    GameObject *bombTarget = nullptr;
    float bombScore = -1.0f;
    Vehicle *vehicleTarget = nullptr;
    float vehicleScore = -1.0f;
    GameObject *bonusTarget = nullptr;
    float bonusScore = -1.0f;
};
