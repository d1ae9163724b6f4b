// The replication role: ticks, the object map, the command stream and its
// golden bytes, the 65,536-byte rule, untrusted input, and a server and a
// client over emulated localhost.
#include "ExpectFatal.h"
#include "language/Language.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "serial/RPC.h"
#include "render/TextPrinter.h"
#include "serial/RootObjectBase.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "RoleTestEngine.h"
#include "net/NetConnection.h"
#include "net/NetRole.h"
#include "net/Node.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes written(const Packet& p) { return Bytes(p.buffer, p.cursor); }

Packet* readable(const Bytes& bytes) {
    Packet* p = new Packet(Packet::FLAG_FILTER1, static_cast<int32_t>(bytes.size()));
    for (uint8_t b : bytes)
        p->doBytes(&b, 1);
    p->rewindToRead();
    return p;
}

class NetRoleTest : public ::testing::Test {
protected:
    void TearDown() override {
        server.reset();
        client.reset();
        ReplicationRole::current = nullptr;
    }
    NetRole* makeRole(bool isServer, bool connected = false) {
        NetRole* role = new NetRole("Corvana2demo", NetHost::WIRE_VERSION, isServer ? "server" : "peer", 0, isServer);
        if (connected) {
            role->setConnection(new NetConnection(NetAddress(UString("127.0.0.1"), 0)), true);
            role->setMaxPeers(8);
        }
        return role;
    }
    // The client's copy executes the bytes as one received packet.
    void execute(NetRole* role, const Bytes& bytes) {
        std::unique_ptr<Packet> p(readable(bytes));
        role->processPacket(p.get());
    }

    RoleTestEngine net;
    std::unique_ptr<NetRole> server;
    std::unique_ptr<NetRole> client;
};

TEST_F(NetRoleTest, TicksFallOnTheFirstFrameAndOncePerLongFrame) {
    server.reset(makeRole(true));
    EXPECT_EQ(ReplicationRole::current, server.get());
    EXPECT_GE(server->nextObjectUID, 2);
    EXPECT_LE(server->nextObjectUID, 257);
    net.tickRoles(0.0, server.get());
    EXPECT_EQ(server->netTickCount, 1);
    EXPECT_TRUE(server->bNetTicked);
    EXPECT_EQ(ReplicationRole::current, nullptr);
    net.tickRoles(0.02, server.get());
    EXPECT_FALSE(server->bNetTicked);
    for (int i = 0; i < 5; ++i)
        net.tickRoles(0.08, server.get());
    EXPECT_EQ(server->netTickCount, 6);
    EXPECT_NEAR(server->netTime, 0.42, 1e-9);

    // Two roles in one process each put back the role they found.
    client.reset(makeRole(false));
    ReplicationRole::current = server.get();
    client->render();
    EXPECT_EQ(ReplicationRole::current, server.get());
    client->tick(0.0, 0.0);
    EXPECT_EQ(ReplicationRole::current, server.get());
    // A role that made way for another is not put back once it is gone.
    client.reset(makeRole(false));
    server.reset();
    EXPECT_EQ(ReplicationRole::current, client.get());
    client->tick(0.0, 0.0);
    EXPECT_EQ(ReplicationRole::current, nullptr);
}

TEST_F(NetRoleTest, RegistrationNumbersAnnouncesAndRefusesDuplicates) {
    server.reset(makeRole(true));
    PlimBase a, b, c;
    server->nextObjectUID = 20;
    server->registerObject(&a, 0);
    server->registerObject(&b, -3);
    server->registerObject(&c, 5);
    EXPECT_EQ(a.objectUID, 20);
    EXPECT_EQ(b.objectUID, 21);
    EXPECT_EQ(c.objectUID, 5);
    EXPECT_EQ(server->nextObjectUID, 22);
    EXPECT_EQ(server->lookupObject(21), &b);
    EXPECT_EQ(server->lookupObject(6), nullptr);
    // Three SPAWNOBJ of PlimBase.
    EXPECT_EQ(written(server->outPacket), (Bytes{0x00, 0x0F, 0x0F, 0x0F}));

    // Code running with client effects announces nothing, and neither does a client.
    PlimBase d, e;
    server->bExecutesOnClient = true;
    server->registerObject(&d, 0);
    server->bExecutesOnClient = false;
    client.reset(makeRole(false));
    client->registerObject(&e, 0);
    EXPECT_EQ(server->outPacket.getLength(), 4);
    EXPECT_EQ(client->outPacket.getLength(), 0);

    // A valid UID that is not in the map only loses its number.
    PlimBase stray;
    stray.objectUID = 99;
    server->unregisterObject(&stray);
    EXPECT_EQ(stray.objectUID, -1);

    PlimBase twin;
    EXPECT_FATAL(server->registerObject(&twin, 5), "objectMap.count(id)==0");
    EXPECT_FATAL(server->registerObject(&a, 0), "!o->isValidUID()");
    EXPECT_FATAL(server->findObject(77), "Could not find object ID 77");
    EXPECT_FATAL(server->processCommand(nullptr, 4), "Unknown packet command: 4");
    PlimBase loose;
    EXPECT_FATAL(server->unregisterObject(&loose), "o->isValidUID()");
    EXPECT_FATAL(
        {
            server->startPlayback("none.rec");
            server->startPlayback("none.rec");
        },
        "netPlayback==NULL");

    for (PlimBase* o : {&a, &b, &c, &d})
        server->unregisterObject(o);
    client->unregisterObject(&e);
}

TEST_F(NetRoleTest, QuitReasonsHaveTheirTexts) {
    server.reset(makeRole(true));
    const std::pair<int, const char*> texts[] = {
        {0, "Quit for an unknown reason."}, {1, "User requested exit."},    {2, "Disconnected from server."},
        {3, "Game over."},                  {4, "Playback finished."},      {5, "Quit for an unknown reason."},
        {6, "Quit for an unknown reason."}, {7, "Emergency exit requested."}};
    for (auto& t : texts) {
        server->quitReason = t.first;
        EXPECT_EQ(server->getStatusText(), UString(t.second)) << t.first;
    }
    // A client is told why the server refused it or took its accept back; a
    // server told that a client refused it plays on.
    client.reset(makeRole(false));
    for (NetRole* role : {server.get(), client.get()}) {
        role->quitReason = 0;
        role->onConnectionRejected("Server is full.");
    }
    EXPECT_EQ(server->quitReason, 0);
    EXPECT_EQ(client->getStatusText(), UString("Server is full."));
}

TEST_F(NetRoleTest, CommandsShareBitBytesAndSnapshotsGoInUidOrder) {
    server.reset(makeRole(true, true));
    PlimBase objects[5];
    Packet p(Packet::FLAG_FILTER1, -1);
    for (PlimBase& o : objects)
        server->writeSpawnObject(&o, &p);
    EXPECT_EQ(written(p), (Bytes{0x00, 0x0F, 0x0F, 0x0F, 0x0F, 0x00, 0x0F}));
    EXPECT_EQ(server->getConnection()->getStats()->commandCounts[NetRole::SPAWNOBJ], 5);

    // A world of UIDs 1, 7 and 3: 7 and 3 below the root in that order.
    auto* root = new RootObjectBase();
    server->registerObject(root, 1);
    PlimBase* seven = new PlimBase();
    PlimBase* three = new PlimBase();
    server->registerObject(seven, 7);
    server->registerObject(three, 3);
    root->addChild(seven);
    root->addChild(three);
    server->nextObjectUID = 40;
    Packet snapshot(Packet::FLAG_FILTER1, -1);
    server->writeSnapshot(&snapshot);
    Bytes expected{
        0x95, 0x26, 0x01, 0x0F, 0x03, 0x0F, 0x07, // SPAWNNAMED 1, 3, 7; COPYOBJ's code
    };
    Bytes bytes = written(snapshot);
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + expected.size()), expected);

    // A fresh client rebuilds the same world from it.
    client.reset(makeRole(false));
    snapshot.rewindToRead();
    client->processPacket(&snapshot);
    ASSERT_NE(client->root, nullptr);
    EXPECT_EQ(client->nextObjectUID, 40);
    EXPECT_EQ(client->objectMap.size(), 3u);
    EXPECT_EQ(client->root->parent, client.get());
    ASSERT_EQ(client->root->getNumChildren(), 2u);
    EXPECT_EQ(static_cast<PlimBase*>(client->root->firstChild)->objectUID, 7);
    EXPECT_EQ(static_cast<PlimBase*>(client->root->lastChild)->objectUID, 3);
    EXPECT_EQ(client->quitReason, 0);
}

TEST_F(NetRoleTest, MalformedInputDropsThePacketAtTheCommand) {
    client.reset(makeRole(false));
    auto* root = new RootObjectBase();
    client->registerObject(root, 1);
    client->nextObjectUID = 10;
    // Each case: one good SPAWNOBJ of PlimBase, then the bad command, then
    // another good one that must not run.
    struct Case {
        Bytes bad;
        const char* reason;
    };
    // 0xFF stands for the UID the first command takes.
    const Case cases[] = {
        {{0x00, 0x0F, 0x7F, 0x0F}, "unknown class 127"},
        {{0x00, 0x0F, 0x02, 0x0F}, "class Console has no factory"},
        {{0x00, 0x0F, 0x00, 0x0F}, "spawn of BasicLink, which is no object class"},
        {{0x00, 0x0F, 0x25, 0x0F}, "spawn of _02468b57, which is no object class"},
        {{0x0C, 0x0F, 0x0F, 0x0F}, "call of PlimBase, which is no call class"},
        {{0x08, 0x0F, 0x63, 0x0F}, "COPYOBJ of unregistered UID 99"},
        {{0x04, 0x0F, 0x0F, 0x00, 0x0F}, "SPAWNNAMED with UID 0"},
        {{0x04, 0x0F, 0x0F, 0xFF, 0x0F}, "already registered"},
        {{0x04, 0x0F, 0x26, 0x01, 0x0F}, "SPAWNNAMED of a second root"},
        {{0x04, 0x0F, 0x0F}, "malformed or cut short"},
        {{0x0C, 0x0F, 0x25, 0x01, 0x63, 0x0F}, "call _02468b57 names unregistered UID 99"},
        {{0x08, 0x0F, 0x01, 0x0F}, "state of object 1 malformed or cut short"},
    };
    for (const Case& c : cases) {
        int uid = client->nextObjectUID;
        Bytes bytes = c.bad;
        for (uint8_t& b : bytes)
            if (b == 0xFF)
                b = static_cast<uint8_t>(uid);
        std::string reason = c.reason;
        if (reason == "already registered")
            reason = "UID " + std::to_string(uid) + " already registered";
        client->quitReason = 0;
        execute(client.get(), bytes);
        EXPECT_EQ(client->quitReason, NetRole::QUIT_DISCONNECTED) << reason;
        EXPECT_NE(client->lookupObject(uid), nullptr) << reason;
        EXPECT_EQ(client->lookupObject(uid + 1), nullptr) << reason;
        EXPECT_GE(net.log().find("processPacket(): Dropped a packet from no peer: " + reason + "."), 0) << reason;
    }
    // Every map entry still names its key.
    for (auto& entry : client->objectMap)
        EXPECT_EQ(entry.second->objectUID, entry.first);

    // A server takes nothing but client-callable calls from its clients.
    server.reset(makeRole(true));
    auto* serverRoot = new RootObjectBase();
    server->registerObject(serverRoot, 1);
    int before = static_cast<int>(server->objectMap.size());
    execute(server.get(), {0x00, 0x0F});
    execute(server.get(), {0x03, 0x2E, 0x01, 0x01, 0x02, 0x03, 0x04});
    EXPECT_EQ(static_cast<int>(server->objectMap.size()), before);
    LogText log = net.log();
    EXPECT_GE(log.find("processPacket(): Dropped a packet from no peer: SPAWNOBJ from a client."), 0);
    EXPECT_GE(log.find("processPacket(): Dropped a packet from no peer: call _cfad751b is not callable from a client."),
              0);
    EXPECT_EQ(server->quitReason, 0);
}

struct PrintedLines : TextPrinter {
    void printAt(float x, float y, float z, UColor colour, int flags, const UString& text) override {
        lines.push_back(text.c_str());
        ys.push_back(y);
    }
    bool has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    std::vector<std::string> lines;
    std::vector<float> ys;
};

TEST_F(NetRoleTest, OverlayAndMapDump) {
    server.reset(makeRole(true, true));
    server->setHostUID(0xABCD0123u);
    auto* root = new RootObjectBase();
    server->registerObject(root, 1);
    auto* ship = new PlimBase();
    server->registerObject(ship, 9);
    root->addChild(ship);

    PrintedLines off;
    server->renderDebugInfo(V3(-300, 200, 0), &off);
    EXPECT_TRUE(off.lines.empty());

    PLIM->debugLevel = NetRole::DEBUG_OVERLAY;
    ReplicationRole::current = server.get();
    ship->setState(3, 0.0);
    PrintedLines before;
    server->renderDebugInfo(V3(-300, 200, 0), &before);
    ASSERT_GE(before.lines.size(), 18u);
    EXPECT_EQ(before.lines[0], "hostUID: abcd0123");
    EXPECT_EQ(before.ys[0], 180.0f);
    EXPECT_EQ(before.lines[1], "STATS (in/out)");
    EXPECT_TRUE(before.has("--- SERVER objectMap (2) ---"));
    EXPECT_TRUE(before.has("SPAWNOBJ: 2 "));
    EXPECT_TRUE(before.has("RPC: 1 "));
    EXPECT_TRUE(before.has("--- 0 NODES ---"));
    EXPECT_TRUE(before.has("OUTGOING RPCs"));
    EXPECT_FALSE(before.has("1 x _7b13321b"));

    net.tickRoles(0.0, server.get());
    PrintedLines after;
    server->renderDebugInfo(V3(-300, 200, 0), &after);
    EXPECT_TRUE(after.has("1 x _7b13321b"));
    net.tickRoles(0.06, server.get());
    PrintedLines later;
    server->renderDebugInfo(V3(-300, 200, 0), &later);
    EXPECT_FALSE(later.has("1 x _7b13321b"));

    server->dumpObjectMap();
    LogText log = net.log();
    EXPECT_GE(log.find("dumpObjectMap(): Starting dump.."), 0);
    EXPECT_GE(log.find("dumpObjectMap(): Map size: 2"), 0);
    EXPECT_GE(log.find(formatString("dumpObjectMap(): Object ID 9 (%08x) (class=PlimBase)",
                                    static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ship)))
                           .c_str()),
              0);
    EXPECT_GE(log.find("dumpObjectMap(): Dump done."), 0);
}

// Runs on the server only and may be sent by a client.
struct ServerOnlyCall : RPC {
    ServerOnlyCall() : RPC(RUNS_ON_SERVER | CALLABLE_FROM_CLIENT) {}
    RuntimeClass* getClass() override { return &runtimeClass; }
    void netSerialize(Packet* packet) override { packet->doInt(&value); }
    void call() override { ++calls; }
    int value = 0;
    static int calls;
    static RuntimeClass runtimeClass;
};
int ServerOnlyCall::calls = 0;
// Named to sort after every class of the program, so their indices stay.
RuntimeClass ServerOnlyCall::runtimeClass("_zz_serveronly", &RPC::runtimeClass,
                                          []() -> void* { return static_cast<RPC*>(new ServerOnlyCall()); });

TEST_F(NetRoleTest, CallsNotRunOnTheReadingSideConsumeTheirArguments) {
    RuntimeClassManager::getInstance()->registerClass(&ServerOnlyCall::runtimeClass);
    RuntimeClass::buildIndex();
    ASSERT_EQ(ServerOnlyCall::runtimeClass.index, 47);
    client.reset(makeRole(false));
    client->nextObjectUID = 10;
    // The call (index 47, argument 300 as a signed varint), then a SPAWNOBJ.
    execute(client.get(), {0x03, 0x2F, 0xAC, 0x04, 0x0F});
    EXPECT_EQ(ServerOnlyCall::calls, 0);
    EXPECT_NE(client->lookupObject(10), nullptr);
    EXPECT_EQ(client->quitReason, 0);
    // The server runs it, from a client too.
    server.reset(makeRole(true));
    execute(server.get(), {0x03, 0x2F, 0xAC, 0x04});
    EXPECT_EQ(ServerOnlyCall::calls, 1);
}

} // namespace
