#pragma once
// Base of the shots that fly on their own after launch. Like every world
// object it starts with 0.001 energy and no points: the first contact that
// deals it damage destroys it, and nobody scores for it. It also holds the
// pictures and end effects the shots share.
#include "world/GameObject.h"

class Skin;

class Projectile : public GameObject {
public:
    // Sub-images of "projectiles": the normal picture, the large one next.
    enum Picture {
        PICTURE_BOMBER_BOMB = 0,
        PICTURE_BOMB = 2,
        PICTURE_SWARM = 4,
        PICTURE_BULLET = 6,
        PICTURE_CANNON_BALL = 8,
        PICTURE_ROCKET = 10
    };

    explicit Projectile(int owner);
    ~Projectile() override;

    // The object of the layer nearest to this one whose collision circle the
    // line through the position along heading crosses (in front or behind),
    // nearer than bestDistSq; best and bestDistSq are updated in place, and
    // an equal distance keeps the earlier find.
    void findNearestInLine(PlimBase *layer, GameObject *&best, float &bestDistSq);

    // The picture of a kind, large under the bloated-projectiles mutator.
    static Skin *picture(int normal);
    // Water drops where a shot enters the sea (high detail only), in the
    // fireworks layer.
    static void splashAt(V3 at, float maxSpeed);
    // Burst of fire particles around the heading, in the fireworks layer.
    static void explodeAt(V3 at, float heading, int count, float minSpeed, float maxSpeed, float scale);

protected:
    // Removed with a splash and "smallSplash".
    void sink();
    // The explosion of bombs and shells: 4 particles, 10 at high detail.
    void explode(float minSpeed, float maxSpeed);
    // A bomb's end: the explosion and "explosionShort" at a pitch of 1 to 1.5.
    void bombExplosion();
};
