#pragma once
// The engine clock: seconds from the tick source, with the time the engine
// spends paused (or restoring its video mode) cut out.
#include "PlimBase.h"

class TimeKeeper : public PlimBase {
public:
    TimeKeeper();
    ~TimeKeeper() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;

    // Raw time minus every finished discard interval.
    double getTime() const;
    // The tick source's milliseconds in seconds, nothing subtracted.
    static double getRawTime();

    void onPLIMmodeChange(int oldMode, int newMode) override;

    double sleepGranularity = 0.0; // shortest observed 1 ms sleep; 0 when unmeasured
    double discardStart = 0.0;
    double discardedTime = 0.0;
};
