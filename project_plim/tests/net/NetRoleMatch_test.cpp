// One engine, a server and a client role over emulated localhost, on injected
// ticks: the new peer's snapshot, spawns, calls, copies, the shared seed, a
// tick of more than 65,536 bytes of commands, and malformed input from a peer.
#include "serial/Packet.h"
#include "render/Renderable.h"
#include "serial/RPC.h"
#include "serial/RootObjectBase.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "RoleTestEngine.h"
#include "net/NetConnection.h"
#include "net/NetRole.h"
#include "net/NetStats.h"
#include "net/Node.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

class NetRoleMatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.reset(makeRole(true));
        client.reset(makeRole(false));
        serverRoot = new RootObjectBase();
        server->registerObject(serverRoot, 1);
        ship = new Renderable();
        server->registerObject(ship, 0);
        serverRoot->addChild(ship);
        client->sendConnectRequest(server->getConnection()->getAddress());
        run(10);
        ASSERT_EQ(server->getPeers().getNumChildren(), 1u);
        ASSERT_EQ(client->getPeers().getNumChildren(), 1u);
    }
    void TearDown() override {
        client.reset();
        server.reset();
        ReplicationRole::current = nullptr;
    }
    NetRole* makeRole(bool isServer) { return RoleTestEngine::makeRole(isServer); }
    void run(int ticks) {
        for (int i = 0; i < ticks; ++i)
            net.tickRoles(0.05, server.get(), client.get());
    }
    // Runs code on the server as its game would, with the role current.
    template <class F> void onServer(F f) {
        ReplicationRole* found = ReplicationRole::current;
        ReplicationRole::current = server.get();
        f();
        ReplicationRole::current = found;
    }

    RoleTestEngine net;
    std::unique_ptr<NetRole> server;
    std::unique_ptr<NetRole> client;
    RootObjectBase* serverRoot = nullptr;
    Renderable* ship = nullptr;
};

TEST_F(NetRoleMatchTest, TheClientMirrorsTheServer) {
    // The snapshot made the world on the client.
    ASSERT_NE(client->root, nullptr);
    PlimBase* clientShip = client->lookupObject(ship->objectUID);
    ASSERT_NE(clientShip, nullptr);
    EXPECT_EQ(clientShip->parent, client->root);
    EXPECT_EQ(client->nextObjectUID, server->nextObjectUID);

    // New objects, a call, a copied state and the shared seed.
    Renderable* shot = nullptr;
    onServer([&] {
        shot = new Renderable();
        server->registerObject(shot, 0);
        serverRoot->add(shot);
        ship->position = V3(12.5f, -3.0f, 0.0f);
        server->writeCopyObject(ship, nullptr);
        shot->setState(3, 0.0);
        serverRoot->randomSeed(777);
    });
    run(4);
    PlimBase* clientShot = client->lookupObject(shot->objectUID);
    ASSERT_NE(clientShot, nullptr);
    EXPECT_EQ(clientShot->parent, client->root);
    EXPECT_EQ(clientShot->state, 3);
    EXPECT_EQ(static_cast<Renderable*>(clientShip)->position.x, 12.5f);
    EXPECT_EQ(client->nextObjectUID, server->nextObjectUID);
    for (NetRole* role : {server.get(), client.get()})
        role->bExecutesOnServer = role->bExecutesOnClient = true;
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(server->random.getI(1000000), client->random.getI(1000000));
    for (NetRole* role : {server.get(), client.get()})
        role->bExecutesOnServer = role->bExecutesOnClient = false;

    // Destroyed on the server, gone on the client.
    onServer([&] { shot->deleteMe(); });
    run(4);
    EXPECT_EQ(client->objectMap.size(), server->objectMap.size());
    EXPECT_EQ(client->objectMap.size(), 2u);
    EXPECT_EQ(client->quitReason, 0);
}

// The end of a match: runs on every side and takes the world's hash there,
// right after the last copies.
struct EndCall : RPC {
    EndCall() : RPC(RUNS_ON_SERVER | RUNS_ON_CLIENT) {}
    RuntimeClass* getClass() override { return &runtimeClass; }
    void call() override { hashes[THEROLE] = dynamic_cast<NetRole*>(THEROLE)->worldHash(); }
    static std::map<ReplicationRole*, uint64_t> hashes;
    static RuntimeClass runtimeClass;
};
std::map<ReplicationRole*, uint64_t> EndCall::hashes;
// Named to sort after every class of the program, so their indices stay.
RuntimeClass EndCall::runtimeClass("_zz_end", &RPC::runtimeClass,
                                   []() -> void* { return static_cast<RPC*>(new EndCall()); });

TEST_F(NetRoleMatchTest, ARecordedMatchReplaysToTheSameWorld) {
    RuntimeClassManager::getInstance()->registerClass(&EndCall::runtimeClass);
    RuntimeClass::buildIndex();
    client->startRecording("match.rec");
    std::vector<Renderable*> shots;
    for (int second = 0; second < 4; ++second) {
        onServer([&] {
            Renderable* shot = new Renderable();
            server->registerObject(shot, 0);
            serverRoot->add(shot);
            shots.push_back(shot);
            shot->setState(second + 1, 0.0);
            ship->position = V3(float(second), 2.0f * second, 0.0f);
            server->writeCopyObject(ship, nullptr);
            serverRoot->randomSeed(100u + second);
            if (second == 2) {
                shots[0]->deleteMe();
                shots.erase(shots.begin());
            }
        });
        run(20);
    }
    // Freeze: the last copies, then the end call on every side.
    onServer([&] {
        for (auto& entry : server->objectMap)
            server->writeCopyObject(entry.second, nullptr);
        EndCall end;
        end.invoke();
        end.executeLocally();
    });
    run(4);
    ASSERT_EQ(EndCall::hashes.count(server.get()), 1u);
    ASSERT_EQ(EndCall::hashes.count(client.get()), 1u);
    EXPECT_EQ(EndCall::hashes[client.get()], EndCall::hashes[server.get()]);
    EXPECT_EQ(client->objectMap.size(), server->objectMap.size());

    // The client's file holds the match.
    uint64_t serverHash = EndCall::hashes[server.get()];
    EndCall::hashes.clear();
    client.reset(makeRole(false));
    client->startPlayback("match.rec");
    for (int i = 0; i < 200 && client->quitReason == 0; ++i)
        net.tickRoles(0.06, client.get());
    EXPECT_EQ(client->getStatusText(), UString("Playback finished."));
    ASSERT_EQ(EndCall::hashes.count(client.get()), 1u);
    EXPECT_EQ(EndCall::hashes[client.get()], serverHash);
}

TEST_F(NetRoleMatchTest, NoPacketPassesTheLimit) {
    // About 75,000 bytes of SPAWNOBJ in one tick leave in two packets.
    const int count = 60000;
    Node* peer = static_cast<Node*>(server->getPeers().firstChild);
    int before = peer->getSequenceOut();
    onServer([&] {
        for (int i = 0; i < count; ++i) {
            PlimBase* o = new PlimBase();
            server->registerObject(o, 0);
            serverRoot->addChild(o);
        }
    });
    // Every commands packet is cut into pieces of at most 512 bytes, with
    // 129 for 65,536 bytes; the first one is sent when the limit is reached.
    EXPECT_GT(peer->getSequenceOut() - before, 0);
    EXPECT_LE(server->outPacket.getLength(), NetRole::MAX_PACKET);
    int firstPieces = peer->getSequenceOut() - before;
    EXPECT_LE(firstPieces, 129);
    run(1);
    EXPECT_GT(peer->getSequenceOut() - before, 129);
    EXPECT_LT(server->outPacket.getLength(), 1);
    run(20);
    EXPECT_EQ(client->objectMap.size(), server->objectMap.size());
    EXPECT_EQ(client->nextObjectUID, server->nextObjectUID);
    EXPECT_EQ(client->quitReason, 0);
}

TEST_F(NetRoleMatchTest, MalformedInputRemovesThePeer) {
    // A client may not spawn: the server drops the client.
    uint8_t spawn[] = {0x00, 0x0F};
    client->outPacket.doBytes(spawn, 2);
    run(2);
    EXPECT_EQ(server->getPeers().getNumChildren(), 0u);
    LogText log = net.log();
    EXPECT_GE(log.find("processPacket(): Dropped a packet from 127.0.0.1:2: SPAWNOBJ from a client."), 0);
    run(2);
    EXPECT_EQ(client->getPeers().getNumChildren(), 0u);

    // A client that gets a copy of an unknown object leaves the server.
    client.reset(makeRole(false));
    client->sendConnectRequest(server->getConnection()->getAddress());
    run(10);
    ASSERT_EQ(server->getPeers().getNumChildren(), 1u);
    ASSERT_NE(client->root, nullptr);
    uint8_t copy[] = {0x02, 0x63};
    server->outPacket.doBytes(copy, 2);
    run(2);
    EXPECT_EQ(client->quitReason, NetRole::QUIT_DISCONNECTED);
    EXPECT_EQ(client->getStatusText(), UString("Disconnected from server."));
    EXPECT_EQ(client->getPeers().getNumChildren(), 0u);
    EXPECT_GE(net.log().find("processPacket(): Dropped a packet from 127.0.0.1:1: COPYOBJ of unregistered UID 99."), 0);
}

} // namespace
