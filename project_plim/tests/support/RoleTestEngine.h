#pragma once
// A network test engine whose class registry holds the whole program's 47
// records, with frames of a chosen length for replication roles.
#include "NetTestEngine.h"

class NetRole;

class RoleTestEngine : public NetTestEngine {
public:
    RoleTestEngine();

    // Moves the clock by dt and makes it the engine's frame delta.
    void frame(double dt);
    // One frame, then a tick of each role given.
    void tickRoles(double dt, NetRole* a, NetRole* b = nullptr);
    // A role of the game's name and version on 127.0.0.1 (emulated unless
    // the network part says otherwise), with room for eight peers.
    static NetRole* makeRole(bool isServer);
    // Registers, once, the records the layers above the engine add, so that
    // the registry (indexed after this) holds the whole program's table.
    static void registerUpperLayerRecords();

    // Class indices of the program's name-sorted registry.
    enum {
        INDEX_BASICLINK = 0,
        INDEX_CONSOLE = 2,
        INDEX_PLIMBASE = 15,
        INDEX_RENDERABLE = 29,
        INDEX_ADD = 37,
        INDEX_ROOT = 38,
        INDEX_SET_STATE_RAW = 39,
        INDEX_DESTROY_OBJECT = 40,
        INDEX_SET_STATE = 42,
        INDEX_RANDOM_SEED = 46
    };
};
