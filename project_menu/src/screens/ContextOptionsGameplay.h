#pragma once
// The gameplay switches: in-game help and cheat keys. Bound straight to the
// saved block; the game reads them when it needs them, so closing applies
// nothing.
#include "ContextOptionsPage.h"

class ContextOptionsGameplay : public ContextOptionsPage {
public:
    ContextOptionsGameplay();
    ~ContextOptionsGameplay() override;
};
