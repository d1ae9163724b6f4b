#pragma once
// A small state machine: the current state, the time spent in it, and a change
// that happens at once or after a delay. Every engine object has one as its
// second base and advances it at the start of its tick.
#include <cstdint>

class PlimBase;
class PropertyContainer;

class StateBase {
public:
    StateBase() = default;
    virtual ~StateBase();
    // Carries out a pending change once its delay has run out; uses dt only.
    virtual void advance(double time, double dt);
    // Called after every change of state.
    virtual void onStateChange() {}
    // Appends "state", "timeInState", "stateLeft" and "stateGoto".
    virtual void addPropertiesTo(PlimBase* container);

    // A new "StateBase" group filled by addPropertiesTo; the caller deletes it.
    PropertyContainer* createPropertyGroup();

    // Asking again for the state last asked for is ignored unless forced; a
    // delay of 0 or below changes at once and cancels a pending change.
    void setState(int newState, double delay = 0.0, bool force = false);

    int32_t state = 0;
    double timeInState = 0.0;
    double stateLeft = 0.0; // time until the pending change; pending only while > 0
    int32_t stateGoto = 0;  // the state last asked for
};
