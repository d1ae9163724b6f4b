#pragma once
// A replication role for tests: an object map, an outgoing packet, the side it
// plays and the execution flags. Two of them (a server and a client) stand for
// two copies of the program; a test moves the server's outgoing bytes to the
// client with deliverTo. Only remote calls (command 3) are understood.
#include "serial/Packet.h"
#include "serial/ReplicationRole.h"

#include <cstdint>
#include <map>
#include <vector>

class TestRole : public ReplicationRole {
public:
    explicit TestRole(bool server);
    ~TestRole() override;

    bool isServerSide() const override { return server; }
    void writeRPC(RPC* call, Packet* packet) override;
    PlimBase* lookupObject(int uid) override;
    void registerObject(PlimBase* o, int uid) override;
    void unregisterObject(PlimBase* o) override;
    void seedRandom(uint32_t seed) override;

    // Makes this the current role (THEROLE).
    void makeCurrent() { current = this; }
    // The bytes written so far.
    std::vector<uint8_t> outBytes() const;
    // Executes every command of a packet under this role; false when the
    // packet is malformed (unknown command, class or a read past its end).
    bool processPacket(Packet* packet);
    // Copies the outgoing bytes into a packet for the other role, empties the
    // outgoing packet and lets the other role process them.
    bool deliverTo(TestRole& other);

    bool server;
    Packet outPacket;
    std::map<int, PlimBase*> objects;
    std::vector<int> announced;  // uids a server would spawn on the clients
    std::vector<uint32_t> seeds; // every seed given to the generator
    int rpcsWritten = 0;
};
