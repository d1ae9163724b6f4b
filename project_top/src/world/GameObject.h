#pragma once
// Base of every object that lives in a match: a ballistic motion step with the
// water line and removal once off screen, an energy pool with the damage rules
// of the owning player's vehicle, and the rule that turns damage dealt into
// points for that player. The controller's layers own and tick the objects.
#include "render/Renderable.h"

class GameObject : public Renderable {
public:
    // The sea surface.
    static constexpr float WATER_LINE = -25.0f;
    // Extra factor on all damage dealt.
    static constexpr double DAMAGE_DEALT_BONUS = 1.01;

    // owner: the player's index, or -1 for an object of nobody.
    explicit GameObject(int owner);
    ~GameObject() override;

    // Only the motion step: no state advance, no children (subclasses that
    // need them call PlimBase::tick themselves).
    void tick(double time, double dt) override;

    // Energy and maximum energy.
    void setEnergy(float value);

    // Angle into [0, 2 pi).
    static float wrapAngle(float angle);
    // +1 when counter-clockwise is the shorter way from one angle to the
    // other, -1 when clockwise is, 0 for equal angles.
    static int turnDirection(float from, float to);
    // Signed shortest difference; exactly pi comes out as -pi when to > from.
    static float angleDelta(float from, float to);

    // Time until the ballistic path reaches height y (falling branch), and
    // the x there. Always finite: a height never reached gives the apex time.
    float timeToHeight(float y) const;
    float xAtHeight(float y) const;

    virtual float takeDamage(GameObject* from, float amount);
    virtual float dealDamage(GameObject* target, float amount);
    // The energy ran out; the default removes the object.
    virtual void onDestroyed(GameObject* by);
    virtual void onHit(GameObject* by, float amount) {}
    // The scoring rule: points for the owner's player.
    virtual void onDamageDealt(GameObject* target, float amount);
    virtual void onCollision(GameObject* other);
    // Called once per downward crossing of the water line.
    virtual void onEnterWater() {}
    virtual void step(double dt);
    // Not drawn last frame and beyond an edge of the view at depth 0, moving
    // away from it: destroy pending.
    void removeWhenLeavingView();

    int32_t owner;
    int32_t points = 0;
    float heading = 0.0f;
    float energy = 0.001f;
    float maxEnergy = 0.001f;
    float contactDamage = 1.0f;
    V3 velocity{0.0f, 0.0f, 0.0f};
    V3 acceleration{0.0f, 0.0f, 0.0f};
    bool bOrientToVelocity = false;
    bool bRemoveOffWorld = true;
    bool bSharedDamage = false;
};
