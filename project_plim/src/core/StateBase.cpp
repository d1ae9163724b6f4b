#include "StateBase.h"

#include "PropertyContainer.h"
#include "PropertyDouble.h"
#include "PropertyInt.h"

StateBase::~StateBase() {}

void StateBase::setState(int newState, double delay, bool force) {
    if (newState == stateGoto && !force)
        return;
    stateGoto = newState;
    stateLeft = delay;
    if (delay > 0.0)
        return;
    state = newState;
    timeInState = 0.0;
    onStateChange();
}

void StateBase::advance(double time, double dt) {
    timeInState += dt;
    if (stateLeft > 0.0) {
        stateLeft -= dt;
        if (stateLeft <= 0.0) {
            // The overrun of the delay is not carried into the new state.
            timeInState = 0.0;
            state = stateGoto;
            onStateChange();
        }
    }
}

void StateBase::addPropertiesTo(PlimBase* container) {
    // Only "state" and the half-precision "timeInState" travel with an object.
    container->addChild(new PropertyInt("state", 0, &state));
    container->addChild(new PropertyDouble("timeInState", Property::HALF, &timeInState));
    container->addChild(new PropertyDouble("stateLeft", Property::FILTER1, &stateLeft));
    container->addChild(new PropertyInt("stateGoto", Property::FILTER1, &stateGoto));
}

PropertyContainer* StateBase::createPropertyGroup() {
    PropertyContainer* group = new PropertyContainer("StateBase", 0);
    // The state's own four, also when an override extends addPropertiesTo.
    StateBase::addPropertiesTo(group);
    return group;
}
