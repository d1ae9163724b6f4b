#pragma once
// A bonus balloon floating in place above the sea, bobbing and wobbling,
// until a player's shot pops it (bonus, burst, caption) or its lifetime runs
// out. Each kind picks its picture and caption and gives its own bonus.
#include "util/UString.h"
#include "world/GameObject.h"

class Vehicle;

class Bonus : public GameObject {
public:
    static constexpr int POINTS = 100;
    static constexpr float BOB_HEIGHT = 16.0f;
    static constexpr float WOBBLE = 0.05f;
    static constexpr float WOBBLE_RATE = 16.0f;

    // lifetime 0 or less: never expires. burst: a firework at the first tick.
    Bonus(float x, float y, float z, double lifetime, bool burst);
    ~Bonus() override;

    // Bob, wobble, lifetime and the pending burst; no motion step.
    void tick(double time, double dt) override;
    // Bursts; the popper's player (if any) gets the bonus and the caption.
    void onDestroyed(GameObject* by) override;
    // Applies the kind's bonus for the popper's player (0 or 1).
    virtual void giveBonus(int player) {}

    // The player the bonus lands on: the opponent for a sabotage kind.
    int targetOf(int popper) const { return bSabotage ? 1 - popper : popper; }

    V3 basePosition;
    UString caption;
    float phase = 0.0f;
    double lifetime = 0.0;
    bool burstPending = false;
    bool bSabotage = false;

protected:
    // Skin i of "balloons", set only when it differs.
    void setBalloon(int index);
    // Scales a value of the target's vehicle through change, gives it the
    // marker (icon of "hud-bonusicons") and plays the sound.
    void giveVehicleBonus(int player, int icon, const char* soundName, void (*change)(Vehicle&));

private:
    void burst();
};
