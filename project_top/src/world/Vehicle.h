#pragma once
// Base of the machines a player steers (aircraft, island cannon): steering
// limits, the player's damage factors, blaster energy with regeneration, the
// current weapon, the held bonus markers and six input flags. Each frame the
// subclass's tick runs Vehicle::tick, clearInput and readControls, then turns
// the flags into motion and fire; computer pilots override readControls only.
#include "GameObject.h"
#include "util/PlimMath.h"

class Weapon;

class Vehicle : public GameObject {
public:
    // The bound actions, in the order of the saved key bindings.
    enum Action {
        ACTION_TURN_LEFT = 0,
        ACTION_TURN_RIGHT = 1,
        ACTION_INCREASE = 2,
        ACTION_DECREASE = 3,
        ACTION_FIRE = 4
    };
    static constexpr float MOUSE_SPEED_STEP = 0.125f; // share of the speed range per wheel step
    static constexpr double REGENERATION_PER_SECOND = 0.25;

    // Takes the computer-pilot preferences of the current controller.
    explicit Vehicle(int owner);
    // Deletes the weapon.
    ~Vehicle() override;

    // Blaster regeneration only; the subclasses move the vehicle.
    void tick(double time, double dt) override;

    // Pays a shot; false (nothing paid) when the blaster cannot. Free under
    // the controller's no-blaster mutator.
    bool useEnergy(float amount);
    void clearInput();
    // Drops the bonus markers and the factors and capacity they changed.
    void resetBonuses();
    // Steers toward where a shot of speed `speed` and acceleration a meets
    // the target (leading it when bLead); returns the remaining angle.
    float aimAt(GameObject* target, bool bLead, float ax, float ay, float az);
    // Key set the player steers with (swapped when two humans play).
    int keySet() const;

    virtual bool isActive() { return true; }
    // Marker at a point on the screen edge while the vehicle is off screen.
    virtual void drawFinder(V3 point) {}
    // Human input from the bound keys or the mouse.
    virtual void readControls();

    float baseTurnRate = 0.0f;
    float turnRate = 0.0f;
    float minSpeed = 0.0f;
    float maxSpeed = 0.0f;
    float baseMaxSpeed = 0.0f;
    float speed = 0.0f;
    float speedChangeRate = 0.0f;
    float minHeading = -512.0f * PI;
    float maxHeading = 512.0f * PI;
    bool bMouseControl = false;
    float mouseHeading = 0.0f;
    float mouseTargetSpeed = 0.0f;
    float damageDealtFactor = 1.0f;
    float damageTakenFactor = 1.0f;
    float initialEnergy = 1.0f;
    float blasterEnergy = 1.0f;
    float maxBlasterEnergy = 1.0f;
    float blasterRegeneration = 1.0f;
    PlimBase bonusMarkers; // its children are the held bonuses' markers
    bool bControlsEnabled = true;
    bool bIncrease = false;
    bool bDecrease = false;
    bool bTurnLeft = false;
    bool bTurnRight = false;
    bool bFirePressed = false;
    bool bFireHeld = false;
    float offensivePreference = 1.0f;
    float defensivePreference = 1.0f;
    float bonusPreference = 1.0f;
    // The current weapon, owned.
    Weapon* weapon = nullptr;

protected:
    // One step of the speed and turn keys over t seconds: speed changes and is
    // held to its range; a mouse turn stops at the pointer's heading.
    void steer(float t);

private:
    void readKeys();
    void readMouse();
};
