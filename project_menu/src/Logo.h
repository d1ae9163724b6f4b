#pragma once
// The game's logo, drawn from the composite picture "logo:all", shown for a
// time like any timed picture.
#include "RenderableTimed.h"

class Logo : public RenderableTimed {
public:
    // Needs the composite registered as "logo:all".
    Logo();
    ~Logo() override;
};
