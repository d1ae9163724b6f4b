#include "EngineTestFolder.h"
#include "core/Logger.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "core/PlimBase.h"
#include "serial/RPC_PlimBase_add.h"
#include "core/ReferenceBase.h"
#include "serial/RPC_PlimBase_clear.h"
#include "serial/RPC_PlimBase_remove.h"
#include "serial/RPC_PlimBase_setState.h"
#include "serial/RPC_PlimBase_setStateRaw.h"
#include "serial/RPC_RootObjectBase_destroyObject.h"
#include "serial/RPC_RootObjectBase_randomSeed.h"
#include "serial/RootObjectBase.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "RoleTestEngine.h"
#include "TestRole.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

// An engine object that counts its state changes and reports its deletion.
struct Recorder : PlimBase {
    explicit Recorder(bool* deleted = nullptr) : deleted(deleted) {}
    ~Recorder() override {
        if (deleted)
            *deleted = true;
    }
    void onStateChange() override {
        ++changes;
        if (onChange)
            onChange();
    }
    bool* deleted;
    int changes = 0;
    std::function<void()> onChange;
};

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Class indices of the whole program's name-sorted registry of 47 records.
const Bytes ADD_INDEX{RoleTestEngine::INDEX_ADD};
const Bytes SET_STATE_RAW_INDEX{RoleTestEngine::INDEX_SET_STATE_RAW};
const Bytes DESTROY_OBJECT_INDEX{RoleTestEngine::INDEX_DESTROY_OBJECT};
const Bytes SET_STATE_INDEX{RoleTestEngine::INDEX_SET_STATE};
const Bytes RANDOM_SEED_INDEX{RoleTestEngine::INDEX_RANDOM_SEED};

// A server and a client role, each with its own copy of every object.
class ReplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = new Plim(Plim::Bare{});
        RoleTestEngine::registerUpperLayerRecords();
        RuntimeClass::buildIndex();
        ASSERT_EQ(RuntimeClassManager::getInstance()->getNumClasses(), 47);
        server = new TestRole(true);
        client = new TestRole(false);
        serverRoot = new RootObjectBase();
        clientRoot = new RootObjectBase();
        server->registerObject(serverRoot, 1);
        client->registerObject(clientRoot, 1);
        server->announced.clear();
        server->makeCurrent();
    }
    void TearDown() override {
        // Without a role registered objects may be deleted directly.
        ReplicationRole::current = nullptr;
        for (PlimBase* o : owned)
            if (o->parent)
                o->parent->removeChild(o);
        for (PlimBase* o : owned)
            delete o;
        delete serverRoot;
        delete clientRoot;
        delete server;
        delete client;
        delete engine;
        PLIM = nullptr;
    }

    template <class T = Recorder>
    T* make(TestRole* role, int uid) {
        T* o = new T();
        owned.push_back(o);
        if (uid > 0)
            role->registerObject(o, uid);
        return o;
    }
    // Copies of one object on both sides.
    std::pair<Recorder*, Recorder*> pair(int uid) { return {make(server, uid), make(client, uid)}; }
    void forget(PlimBase* o) { owned.erase(std::find(owned.begin(), owned.end(), o)); }

    Plim* engine = nullptr;
    TestRole* server = nullptr;
    TestRole* client = nullptr;
    RootObjectBase* serverRoot = nullptr;
    RootObjectBase* clientRoot = nullptr;
    std::vector<PlimBase*> owned;
};

TEST_F(ReplicationTest, ServerSetStateWritesTheCallAndTheClientWaits) {
    auto [s, c] = pair(7);
    s->setState(5, 0.5);
    Bytes call = concat({SET_STATE_INDEX, {0x07, 0x05, 0x00, 0x38}});
    EXPECT_EQ(server->outBytes(), concat({{0x03}, call}));

    // A second call of the same tick puts its command into bits 2 and 3.
    s->setState(6, 0.5);
    Bytes second = concat({SET_STATE_INDEX, {0x07, 0x06, 0x00, 0x38}});
    EXPECT_EQ(server->outBytes(), concat({{0x0F}, call, second}));

    // The server changes after the delay; the client waits for the server.
    EXPECT_EQ(s->state, 0);
    s->advance(0.0, 0.5);
    EXPECT_EQ(s->state, 6);
    EXPECT_EQ(s->changes, 1);

    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_EQ(c->state, 0);
    EXPECT_EQ(c->stateGoto, 6);
    EXPECT_EQ(c->stateLeft, 999999.0);
    EXPECT_EQ(c->changes, 0);
    EXPECT_TRUE(client->outBytes().empty());
}

TEST_F(ReplicationTest, ImmediateTinyAndRawStateChanges) {
    auto [s, c] = pair(3);
    s->setState(4, 0.0);
    EXPECT_EQ(s->state, 4);
    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_EQ(c->state, 4);
    EXPECT_EQ(c->changes, 1);

    // A delay of 1e-9 s is not zero on the client either: the half float
    // raises it to about 3.1e-5.
    s->setState(9, 1e-9);
    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_EQ(c->state, 4);
    EXPECT_EQ(c->stateLeft, 999999.0);

    s->setStateRaw(8);
    EXPECT_EQ(server->outBytes(),
              concat({{0x03}, SET_STATE_RAW_INDEX, {0x03, 0x08}}));
    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_EQ(s->state, 8);
    EXPECT_EQ(c->state, 8);
    EXPECT_EQ(s->changes, 1);
    EXPECT_EQ(c->changes, 1);
    EXPECT_EQ(c->stateGoto, 9);
}

TEST_F(ReplicationTest, TreeChangesRunOnEverySide) {
    auto [sParent, cParent] = pair(10);
    auto [sChild, cChild] = pair(11);
    sParent->add(sChild);
    EXPECT_EQ(server->outBytes(), concat({{0x03}, ADD_INDEX, {10, 11}}));
    EXPECT_EQ(sChild->parent, sParent);
    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_EQ(cChild->parent, cParent);
    EXPECT_TRUE(client->outBytes().empty());

    sParent->remove(sChild);
    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_EQ(sParent->firstChild, nullptr);
    EXPECT_EQ(cParent->firstChild, nullptr);

    // clear deletes registered children through the root's destroy call,
    // which runs inside the clear call and is not written again.
    bool sGone = false, cGone = false;
    Recorder* sKid = new Recorder(&sGone);
    Recorder* cKid = new Recorder(&cGone);
    server->registerObject(sKid, 12);
    client->registerObject(cKid, 12);
    sParent->add(sKid);
    server->deliverTo(*client);
    sParent->clear();
    EXPECT_EQ(server->rpcsWritten, 4);
    EXPECT_TRUE(sGone);
    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_TRUE(cGone);
    EXPECT_EQ(client->lookupObject(12), nullptr);
    EXPECT_EQ(server->lookupObject(12), nullptr);
}

TEST_F(ReplicationTest, CallsIssuedInsideACallRunLocallyOnEachSide) {
    auto [s, c] = pair(20);
    auto [sExtra, cExtra] = pair(21);
    s->onChange = [s = s, sExtra = sExtra] { s->add(sExtra); };
    c->onChange = [c = c, cExtra = cExtra] { c->add(cExtra); };
    s->setState(1, 0.0);
    EXPECT_EQ(server->rpcsWritten, 1);
    EXPECT_EQ(sExtra->parent, s);
    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_EQ(cExtra->parent, c);
    EXPECT_EQ(client->rpcsWritten, 0);
}

TEST_F(ReplicationTest, RegisteredObjectsAreDestroyedEverywhere) {
    bool sGone = false, cGone = false;
    Recorder* s = new Recorder(&sGone);
    Recorder* c = new Recorder(&cGone);
    server->registerObject(s, 5);
    client->registerObject(c, 5);
    serverRoot->addChild(s);
    clientRoot->addChild(c);

    s->deleteMe();
    EXPECT_TRUE(sGone);
    EXPECT_EQ(server->outBytes(),
              concat({{0x03}, DESTROY_OBJECT_INDEX, {0x01, 0x05}}));
    EXPECT_EQ(server->lookupObject(5), nullptr);
    EXPECT_EQ(serverRoot->firstChild, nullptr);
    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_TRUE(cGone);
    EXPECT_EQ(clientRoot->firstChild, nullptr);

    // Destroying nothing writes identifier 0 and changes nothing.
    serverRoot->destroyObject(nullptr);
    EXPECT_EQ(server->outBytes(),
              concat({{0x03}, DESTROY_OBJECT_INDEX, {0x01, 0x00}}));
    ASSERT_TRUE(server->deliverTo(*client));

    // Unregistered objects go at once, also while a role exists.
    bool plainGone = false;
    (new Recorder(&plainGone))->deleteMe();
    EXPECT_TRUE(plainGone);
    EXPECT_TRUE(server->outBytes().empty());

    // The root itself is never destroyed by a received call.
    Packet p;
    RPC_RootObjectBase_destroyObject call(serverRoot, serverRoot);
    server->writeRPC(&call, &p);
    p.rewindToRead();
    ASSERT_TRUE(client->processPacket(&p));
    EXPECT_EQ(client->root, clientRoot);
    EXPECT_EQ(client->lookupObject(1), clientRoot);
}

TEST_F(ReplicationTest, SeedAndIdentifierCounterReachTheClient) {
    serverRoot->randomSeed(0xDEADBEEF);
    EXPECT_EQ(server->outBytes(), concat({{0x03},
                                          RANDOM_SEED_INDEX,
                                          {0x01, 0xEF, 0xBE, 0xAD, 0xDE}}));
    ASSERT_TRUE(server->deliverTo(*client));
    EXPECT_EQ(server->seeds, (std::vector<uint32_t>{0xDEADBEEF}));
    EXPECT_EQ(client->seeds, server->seeds);

    server->nextObjectUID = 321;
    client->nextObjectUID = 2;
    Packet p;
    serverRoot->netSerialize(&p);
    p.rewindToRead();
    client->makeCurrent();
    clientRoot->netSerialize(&p);
    EXPECT_FALSE(p.hasError());
    EXPECT_EQ(client->nextObjectUID, 321);
}

TEST_F(ReplicationTest, WithoutARoleCallsExecuteHere) {
    ReplicationRole::current = nullptr;
    Recorder a, b;
    a.add(&b);
    EXPECT_EQ(b.parent, &a);
    a.setState(2, 0.0);
    EXPECT_EQ(a.state, 2);
    a.setState(3, 1.0);
    a.advance(0.0, 1.0);
    EXPECT_EQ(a.state, 3);
    a.remove(&b);
    EXPECT_EQ(b.parent, nullptr);

    bool gone = false;
    Recorder* registered = new Recorder(&gone);
    registered->objectUID = 40;
    registered->deleteMe();
    EXPECT_TRUE(gone);
}

TEST_F(ReplicationTest, ObjectStateWithChildren) {
    // No children: the properties, the marker (flag 4) and one clear bit.
    Recorder* lone = make(server, 30);
    Packet marked(Packet::FLAG_FILTER1 | Packet::FLAG_MARKER, -1);
    lone->netSerialize(&marked);
    EXPECT_EQ(Bytes(marked.buffer, marked.cursor), (Bytes{0x00, 0x00, 0x00, 0xFB, 0xFC, 0xFD, 0xFE, 0x00}));

    // Registered children by identifier, unregistered ones left out with flag 1.
    auto [sParent, cParent] = pair(31);
    auto [sA, cA] = pair(32);
    auto [sB, cB] = pair(33);
    sParent->state = 2;
    sParent->addChild(sA);
    sParent->addChild(make(server, 0));
    sParent->addChild(sB);
    Packet p;
    sParent->netSerialize(&p);
    EXPECT_EQ(Bytes(p.buffer, p.cursor), (Bytes{0x02, 0x00, 0x00, 0x01, 32, 33, 0x00}));

    // The client appends them in order; one that sits elsewhere is moved.
    cParent->addChild(cB);
    clientRoot->addChild(cA);
    p.rewindToRead();
    client->makeCurrent();
    cParent->netSerialize(&p);
    EXPECT_FALSE(p.hasError());
    EXPECT_EQ(cParent->state, 2);
    EXPECT_EQ(cParent->getNumChildren(), 2u);
    EXPECT_EQ(cParent->firstChild, cA);
    EXPECT_EQ(cParent->lastChild, cB);
    EXPECT_EQ(clientRoot->firstChild, nullptr);
}

TEST_F(ReplicationTest, WeakReferencesTravelAsIdentifiers) {
    auto [s, c] = pair(40);
    ReferenceBase sRef(nullptr), cRef(nullptr);
    sRef.set(s);
    Packet p;
    sRef.netSerialize(&p);
    sRef.set(nullptr);
    sRef.netSerialize(&p);
    EXPECT_EQ(Bytes(p.buffer, p.cursor), (Bytes{40, 0}));
    p.rewindToRead();
    client->makeCurrent();
    cRef.netSerialize(&p);
    EXPECT_EQ(cRef.target, c);
    EXPECT_EQ(c->references.firstChild, &cRef);
    cRef.netSerialize(&p);
    EXPECT_EQ(cRef.target, nullptr);
    EXPECT_EQ(c->references.firstChild, nullptr);
}

TEST_F(ReplicationTest, UnknownChildrenAndBadMarkersAreLoggedAndSkipped) {
    EngineTestFolder folder;
    engine->log = new Logger();
    auto [sParent, cParent] = pair(50);
    auto [sA, cA] = pair(51);
    client->makeCurrent();

    // Identifier 99 names nothing; 50 is the object itself; 51 is fine.
    Packet p(Packet::FLAG_FILTER1, 16);
    for (uint8_t b : {0x00, 0x00, 0x00, 0x01, 99, 50, 51, 0x00})
        p.doBytes(&b, 1);
    p.rewindToRead();
    cParent->netSerialize(&p);
    EXPECT_FALSE(p.hasError());
    EXPECT_EQ(cParent->getNumChildren(), 1u);
    EXPECT_EQ(cParent->firstChild, cA);

    Packet marked(Packet::FLAG_MARKER, 16);
    for (uint8_t b : {0x00, 0x00, 0x00, 0xFB, 0xFC, 0xFD, 0xFF, 0x00})
        marked.doBytes(&b, 1);
    marked.rewindToRead();
    cA->netSerialize(&marked);
    EXPECT_TRUE(marked.hasError());

    delete engine->log;
    engine->log = nullptr;
    std::string log = EngineTestFolder::readFile(folder.logPath());
    EXPECT_NE(log.find("doPointer2(): Could not find object ID 99"), std::string::npos) << log;
    EXPECT_NE(log.find("netSerialize(): Skipping unknown child of object 50."), std::string::npos) << log;
    EXPECT_NE(log.find("netSerialize(): Skipping child 50 of object 50."), std::string::npos) << log;
    EXPECT_NE(log.find("netSerialize(): Bad marker 0xfffdfcfb in object 51."), std::string::npos) << log;
}

using ReplicationDeathTest = ReplicationTest;

TEST_F(ReplicationDeathTest, ClientRulesAndUnregisteredChildren) {
    auto [sParent, cParent] = pair(60);
    auto [sChild, cChild] = pair(61);
    client->makeCurrent();
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            cParent->add(cChild);
        },
        ::testing::ExitedWithCode(255), "Can't call '_02468b57' client-side.");
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            cParent->setState(3, 0.0);
        },
        ::testing::ExitedWithCode(255), "Can't call '_7b13321b' client-side.");
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            cChild->deleteMe();
        },
        ::testing::ExitedWithCode(255), "Can't call '_4472ef3a' client-side.");

    // Without flag 1 every child is written, and an unregistered one is fatal.
    server->makeCurrent();
    sParent->addChild(make(server, 0));
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            Packet p(0, -1);
            sParent->netSerialize(&p);
        },
        ::testing::ExitedWithCode(255), "Statement: objectUID>=0");
}

} // namespace
