#pragma once
// The maker's logo at start-up: the picture fades in and out over 2.5 s on
// black, the screen ends after 3.5 s; Escape or a fire key ends it early.
#include "core/Context.h"

class RenderableTimed;

class ContextZemtroviaLogo : public Context {
public:
    static constexpr double DURATION = 3.5;

    // Needs the sub-image registered as "zemtrovia:0".
    ContextZemtroviaLogo();
    ~ContextZemtroviaLogo() override;

    RenderableTimed* picture = nullptr; // a child until its time is up
};
