#pragma once
// The computer pilot that hunts the opponent's aircraft: it chases for a few
// seconds, then cruises to random points in view, dodges bullets, takes
// bonus balloons and fires more often when its aim is good.
#include "AirplaneComputerControl.h"

class AirplaneComputerControlDuel : public AirplaneComputerControl {
public:
    explicit AirplaneComputerControlDuel(int owner);
    ~AirplaneComputerControlDuel() override;

    void readControls() override;
    void render() override;

    // The opponent's active aircraft: highest close behind its tail.
    void scoreVehicle();
    // A random point of the view, not below the water.
    void pickViewWaypoint();

    Reference<Vehicle> vehicleTarget{this};
    float vehicleScore = 0.0f;
    double chaseTime;

private:
    void startChase();
    // Computer skill of the match; 0 without one.
    static float skill();
};
