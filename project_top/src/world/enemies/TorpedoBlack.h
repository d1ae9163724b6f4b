#pragma once
// The black torpedo: more energy, the second picture.
#include "Torpedo.h"

class TorpedoBlack : public Torpedo {
public:
    static constexpr float ENERGY = 0.5f;

    TorpedoBlack();
    ~TorpedoBlack() override;
};
