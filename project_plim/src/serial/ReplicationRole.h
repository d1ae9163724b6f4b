#pragma once
// What the object model needs of the network's replication role: the side it
// runs on, the execution flags of remote calls, the object map, the root of the
// replicated tree, the identifier counter, the command writer and the shared
// random generator. The network's role implements it; THEROLE names the
// current one and is null when no role exists, in which case remote calls
// simply execute here.
#include "net/NetRandom.h"

#include <cstdint>

class PlimBase;
class Packet;
class RootObjectBase;
class RPC;

class ReplicationRole {
public:
    virtual ~ReplicationRole();

    // True on the hosting side, false on clients.
    virtual bool isServerSide() const = 0;
    // Appends command 3, the call's class and its arguments to the packet
    // (null: the role's outgoing packet).
    virtual void writeRPC(RPC* call, Packet* packet) = 0;
    // The registered object with the identifier, or null when there is none.
    virtual PlimBase* lookupObject(int uid) = 0;
    virtual void registerObject(PlimBase* o, int uid) = 0;
    // Takes the object out of the map and sets its objectUID to -1.
    virtual void unregisterObject(PlimBase* o) = 0;
    // Seeds the random generator that every side shares.
    virtual void seedRandom(uint32_t seed) { random.seed(seed); }

    // Set only while a remote call executes (and restored afterwards).
    bool bExecutesOnServer = false;
    bool bExecutesOnClient = false;
    // The object registered with identifier 1.
    RootObjectBase* root = nullptr;
    // The identifier that the next registered object receives.
    int32_t nextObjectUID = 0;
    // The generator every side shares (THEROLE->random).
    NetRandom random;

    static ReplicationRole* current;
};

#define THEROLE (ReplicationRole::current)
