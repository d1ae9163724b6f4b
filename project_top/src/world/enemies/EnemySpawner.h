#pragma once
// Builds every enemy of one kind and wave segment at once, holds them frozen
// in a list sorted by release time, and on its own clock moves each into the
// current match's enemy layer when due, where onSpawn places it. Removes
// itself once the list is empty; deleting it earlier deletes what it holds.
#include "core/PlimBase.h"

class Enemy;

class EnemySpawner : public PlimBase {
public:
    // The enemy kinds by type number.
    enum Type {
        TYPE_BIPLANE = 0,              // AirplaneLeftRight
        TYPE_P35 = 1,                  // AirplaneLeftRightP35
        TYPE_PROPELLED_BOMB = 2,       // PropelledBomb
        TYPE_TORPEDO = 3,              // Torpedo
        TYPE_TORPEDO_BLACK = 4,        // TorpedoBlack
        TYPE_HOT_AIR_BALLOON = 5,      // HotAirBalloon
        TYPE_HOT_AIR_BALLOON_BOMB = 6, // HotAirBalloonBomb
        TYPE_ATOM_BOMB = 7,            // AtomBomb
        TYPE_CRATE = 8,                // Crate, plain
        TYPE_KAMIKAZE = 9,             // Kamikaze
        TYPE_BOMBER = 10,              // Bomber
        TYPE_ZEPPELIN = 11,            // Zeppelin
        TYPE_BALLISTIC = 12,           // Ballistic
        TYPE_COUNT = 13
    };
    static constexpr double RELEASE_DELAY = 3.0; // after the spawner's creation
    static constexpr double TWO_PLAYER_GROUPS = 1.5;

    EnemySpawner(int type, double t0, double t1, int groups, int perGroup, bool evenly, float difficulty,
                 int tint);
    // Deletes the enemies still held.
    ~EnemySpawner() override;

    // Releases the due enemies; no state, no children.
    void tick(double time, double dt) override;

    // One enemy of a type; fatal for a type outside 0..12.
    static Enemy* instantiateEnemy(int type);
    // The class name of a type; "?" outside 0..12.
    static const char* typeName(int type);
    // Into the held list after the last enemy due strictly earlier.
    void insertSorted(Enemy* enemy);
    // Enemies still held.
    int pendingCount() const;

    // Every spawner in the current match's tree (null root: the current
    // controller) becomes destroy-pending; what they hold never appears.
    static void cancelAll(PlimBase* root = nullptr);
    // Enemies held by every spawner under root (null: the current controller).
    static int pendingIn(PlimBase* root = nullptr);

    double clock = 0.0;
    PlimBase pending; // list head only, not in the tree
};
