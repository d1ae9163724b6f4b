#pragma once
// Base of every screen, scene and game mode: its own clock (the engine's delta
// time, capped and scaled), a camera, optional layers drawn beneath and above
// it, a clear colour, and the flags the screen stack reads.
#include "PlimBase.h"
#include "util/UColor.h"
#include "util/V3.h"

class Camera;

class Context : public PlimBase {
public:
    Context();
    ~Context() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;
    static PlimBase* create();

    // Both ignore their arguments' meaning for the clock: a context always
    // advances by the engine's own frame time.
    void tick(double time, double dt) override;
    void render() override;

    virtual void tickContext(double time, double dt);
    virtual void renderContext();
    virtual void onActivate(bool firstTime);
    virtual void onDeactivate(bool removed);
    virtual void tickContents(double time, double dt);
    virtual void renderContents();

    // The point of this context's world on the same screen point as (x, y, z)
    // in the world of from.
    V3 transformPosition(Context* from, float x, float y, float z);

    bool bDone = false;
    bool bDeleteWhenDone = false;
    bool bEscapeCloses = true;
    bool bBackKeysClose = false;
    bool bEscapeAsksQuit = false;
    bool bMousePointer = true;
    bool bHideFps = false;
    double duration = 0.0;      // seconds of own time; 0 = unlimited
    UColor clearColour;         // all zero = no clear
    Context* preContext = nullptr;  // not owned
    Context* postContext = nullptr; // not owned
    PlimBase* mousePointer = nullptr; // not owned
    double time = 0.0;
    double dt = 0.0;
    double timeScale = 1.0;
    V3 mouseWorld;
    V3 mouseWorldPrevious;
    V3 mouseWorldDelta;
    Camera* camera = nullptr; // owned
    bool bFirstActivation = true;
};
