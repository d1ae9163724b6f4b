#pragma once
// What the laser and the lightning bolt share: a beam picture repeated (not
// stretched) along its length from the object's position along its heading,
// a shimmer that slides the pattern every tick, a flare drawn as a stack
// temporary, and the target search. Beams are left out of the collision
// passes: they search only the enemy, enemy-projectile and balloon layers
// along their line, so they never hit aircraft, cannons or palms.
#include "Projectile.h"

class Quad;
class Texture;

class Beam : public Projectile {
public:
    static constexpr float MAX_LENGTH = 1024.0f;
    static constexpr double FADE_RATE = 4.0; // a released beam is gone in 0.25 s

    // textureName: the beam picture; its first sub-image is repeated.
    Beam(int owner, float x, float y, float z, float angle, const char *textureName);
    ~Beam() override;

    // Repeats the picture over length units; nothing when it is the length already.
    void setLength(float length);
    // The nearest target on the line within MAX_LENGTH, with its squared
    // distance; null when none.
    GameObject *findTarget(float &distSq);

    Quad *beamQuad = nullptr; // owned; the skin
    double fade = 0.0;        // 0 full strength; removed at 1
    Texture *beamTexture = nullptr;
    float beamLength = -1.0f;

protected:
    // Slides the texture coordinates by a random amount.
    void shimmer();
    // Colour from fade; then fade advances and ends the beam at 1.
    void fadeOut(double dt);
    // Draws the "flare" picture at a point, times over (they add up).
    void drawFlare(V3 at, float scale, int times);
    // The far end of the beam.
    V3 farEnd() const;
};
