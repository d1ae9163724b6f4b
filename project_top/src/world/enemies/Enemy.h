#pragma once
// Base of every computer-controlled attacker: a world object of nobody that a
// spawner builds frozen and releases into the enemy layer, where onSpawn
// places it at the edge of the view and sets it going. Holds the values the
// spawner hands down and the placement rule all kinds share.
#include "world/GameObject.h"

class Enemy : public GameObject {
public:
    // Where getSpawnPosition puts an enemy.
    enum Placement {
        PLACE_LEFT = 0,        // left edge, in the flight band
        PLACE_RIGHT = 1,       // right edge, in the flight band
        PLACE_SIDE = 2,        // the side the camera is offset to (random when centred)
        PLACE_SIDE_OR_TOP = 3, // top or a side, by edge length, never the far side
        PLACE_TOP = 4,         // above the top edge
        PLACE_WATER = 5        // on the water line
    };
    static constexpr float BAND_BOTTOM_PIXELS = 64.0f; // above the water
    static constexpr float BAND_TOP_PIXELS = 32.0f;    // below the top edge
    static constexpr float CENTRED_CAMERA = 16.0f;     // |camera x| below this is centred

    Enemy();
    // Tells the recorder (tests only) how the enemy ended.
    ~Enemy() override;

    // Remembers who took the last of the energy, for the recorder.
    float takeDamage(GameObject* from, float amount) override;

    // Entering the world: choose the start, speed, heading and targets.
    virtual void onSpawn() {}

    // A start just outside the game camera's view for this enemy's picture.
    V3 getSpawnPosition(int placement);
    // -1 when the point lies right of the game camera, else +1.
    static int directionToCentre(V3 point);

    // A standing palm of player 0 (PlayerData::randomAlivePalm); null when
    // there is no match or no palm at all.
    static GameObject* randomTargetPalm();
    // Player 0's island position; (0, 0, 0) without one.
    static V3 islandPosition();
    // The tint as a colour (ARGB, blue in the lowest byte).
    static UColor tintColour(int32_t argb);
    // "explosionShort" at a point, its shared pitch range written first.
    static void playExplosionShort(V3 at, float pitchMin, float pitchMax);

    // Into the sea: a splash (high detail only), "smallSplash", removed.
    void splashDown();
    // Fire pieces thrown around the heading into the fireworks layer, as a
    // destroyed bomb's: 4, or 10 at high detail.
    void explode(float minSpeed, float maxSpeed);

    float difficulty = 0.0f;
    bool bHitsPalms = false;
    float spawnTime = 0.0f;
    int32_t tint = 0;

    // How the enemy ended (recorder only): the destroyer's owner, and whether
    // it was a palm; -2 while not destroyed.
    int32_t destroyedByOwner = -2;
    bool bDestroyedByPalm = false;
};
