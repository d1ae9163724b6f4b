#pragma once
// The firing device of a player's vehicle: decides whether a shot may go this
// frame (fire input, reload time, blaster energy), pays for it, starts the
// reload and lets the subclass create the shot in a layer of the current
// match. It knows its vehicle only through the player's record, so without a
// match (or a vehicle) it cannot fire. Owned by the vehicle, never in the tree.
#include "core/PlimBase.h"
#include "util/UString.h"

#include <cstdint>

class Vehicle;

class Weapon : public PlimBase {
public:
    explicit Weapon(int player);
    ~Weapon() override;

    // One shot from (x, y, z) along angle at launch speed speed. The base pays
    // the cost, starts the reload time and moves the slow motion's end.
    virtual void fire(float x, float y, float z, float angle, float speed);
    // May a shot go at this time of the ticked context's clock.
    virtual bool canFire(double time);

    // The player's vehicle in the current match, or null.
    Vehicle *vehicle() const;

    int32_t player;
    UString name;
    double reloadTime = 0.01;
    double nextFireTime = 0.0;
    float energyCost = 0.0f;
    bool bHeldFire = false;
    bool bOutOfEnergy = false;
    PlimBase *projectileLayer = nullptr; // a layer of the match, not owned

protected:
    // Sets the table values; the layer is read from the current match.
    void configure(const char *weaponName, double reload, float cost, bool held, int layerIndex);
    // Clock and delta time of the context being ticked (0 without one).
    static double contextTime();
    static double contextDelta();
    // Appends a shot to projectileLayer (deleted at once without one).
    void launch(PlimBase *shot);
};
