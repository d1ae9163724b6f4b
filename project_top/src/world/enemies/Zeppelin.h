#pragma once
// The big airship of the invasion waves, drawn at twice its picture's size:
// it crosses the sky left to right again and again, dropping bombs of its
// type (its tint, 0-4) at a fixed rhythm, and carries four turrets, the only
// part that can be destroyed. With the last turret gone it burns for five
// seconds under a string of explosions while sinking, then blows up in one
// long blast that also cancels every enemy spawner of the match.
#include "Enemy.h"

class ZeppelinTurret;

class Zeppelin : public Enemy {
public:
    enum State { STATE_FLYING = 1, STATE_BURNING = 2 };
    static constexpr float SCALE = 2.0f;
    static constexpr int TURRET_PICTURE = 2; // of "zeppelin"
    static constexpr int HULL_PICTURE = 3;   // the composite of sub-images 0 and 1
    static constexpr int TURRETS = 4;
    static constexpr float ENERGY = 1000000.0f;
    static constexpr float SPEED = 16.0f;
    static constexpr float SINK = 0.5f;
    static constexpr double BURN_TIME = 5.0;
    static constexpr double DEFAULT_DROP_INTERVAL = 10.0;

    Zeppelin();
    ~Zeppelin() override;

    void tick(double time, double dt) override;
    void onHit(GameObject* by, float amount) override;
    void onSpawn() override;
    virtual void onTurretDestroyed(ZeppelinTurret* turret);

    // A point of the airship's own picture-centred coordinates in the world.
    V3 worldPoint(V3 local) const;
    // Energy of the turrets and seconds between drops of a zeppelin type.
    static float turretEnergy(int type);
    static double dropIntervalOf(int type);

    float nextBurstTime = 0.0f;
    double dropTimer = 0.0;
    double dropInterval = DEFAULT_DROP_INTERVAL;
    int32_t turretsLeft = 0;

private:
    void drop();
    void burn(double dt);
    void finalBlast();
};
