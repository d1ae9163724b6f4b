#pragma once
// The enemy P35: the biplane's behaviour with the fighter's pictures, more
// points and more energy.
#include "AirplaneLeftRight.h"

class AirplaneLeftRightP35 : public AirplaneLeftRight {
public:
    static constexpr int POINTS = 300;
    static constexpr float ENERGY = 0.3f;

    AirplaneLeftRightP35();
    ~AirplaneLeftRightP35() override;
};
