#pragma once
// The root of a replicated match view: besides what every root carries, the
// number drawn last from the shared generator and how many draws there were,
// both written only by calls that run on every side. The end call leaves the
// world's hash of the side that executed it.
#include "serial/RootObjectBase.h"

#include <cstdint>

class MirrorRoot : public RootObjectBase {
public:
    // Bound of each shared draw.
    static constexpr uint32_t DRAW_RANGE = 1000000;

    MirrorRoot();
    RuntimeClass* getClass() override;
    // RootObjectBase's properties, then "sharedDraw" and "draws".
    void addPropertiesTo(PlimBase* container) override;
    // Does nothing: the view changes only by commands. Ticking would move the
    // state clocks of the root and its stand-ins by each side's own time, and
    // the sides would no longer hold the same bytes.
    void tick(double time, double dt) override;

    // Issue RPC_MirrorRoot_drawShared / RPC_MirrorRoot_endMatch here and on every client.
    void drawShared();
    void endMatch();
    // What the calls do on each side.
    void doDrawShared();
    void doEndMatch();

    static RuntimeClass runtimeClass;
    static void* create();

    int32_t sharedDraw = 0;
    int32_t draws = 0;
    // Set on this side by the end call; not replicated.
    bool bEnded = false;
    uint64_t endHash = 0;
    int32_t endObjects = 0;
};
