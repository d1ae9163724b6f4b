// A server and two client roles over emulated localhost in one engine, on the
// harness's injected ticks, around the real dogfight of two computer pilots:
// every drawn world object (each burning particle of smoke, explosions,
// splashes and fireworks among them, and beams) has one stand-in, the
// clients (one of them late) hold the server's stand-ins exactly, a deleted
// object goes everywhere, the shared draws agree, and the end call leaves one
// world hash on every side.
#include "core/Context.h"
#include "app/ContextManager.h"
#include "DogfightScenario.h"
#include "MatchHarness.h"
#include "core/Plim.h"
#include "render/Quad.h"
#include "render/Renderable.h"
#include "core/ResourceManager.h"
#include "core/RuntimeClass.h"
#include "render/Skin.h"
#include "net/MirrorRoot.h"
#include "net/NetConnection.h"
#include "net/NetMirrorClasses.h"
#include "net/NetRole.h"
#include "net/PlimNetwork.h"
#include "net/WorldMirror.h"
#include "world/effects/Explosion.h"
#include "world/effects/Firework.h"
#include "world/effects/Smoke.h"
#include "world/effects/Sparc.h"
#include "world/effects/Splash.h"
#include "world/weapons/Laser.h"
#include "util/PlimMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using L = GameController;

NetRole* makeRole(bool isServer) {
    NetRole* role = new NetRole("Corvana2demo", NetHost::WIRE_VERSION, isServer ? "server" : "peer", 0, isServer);
    role->setConnection(new NetConnection(NetAddress(UString("127.0.0.1"), 0)), true);
    role->setMaxPeers(4);
    // The constructor leaves it current until its first tick.
    role->tick(0.0, 0.0);
    return role;
}

MirrorRoot* rootOf(NetRole* role) { return dynamic_cast<MirrorRoot*>(role->root); }

std::vector<int> childUIDs(const PlimBase* node) {
    std::vector<int> uids;
    for (const BasicLink* l = node->firstChild; l; l = l->next) uids.push_back(static_cast<const PlimBase*>(l)->objectUID);
    return uids;
}

class WorldMirrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        harness.reset(new MatchHarness());
        registerNetMirrorClasses();
        PLIM->network->bEmulateLocalhost = true;
        match = DogfightScenario::start(*harness);
        server.reset(makeRole(true));
        root = new MirrorRoot();
        server->registerObject(root, 1);
        mirror = new WorldMirror(server.get(), root, match, 4321);
        server->addChild(mirror);
    }
    void TearDown() override {
        clients.clear();
        server.reset();
        harness.reset();
    }
    // One engine frame, then each role's tick; checks the server's stand-ins
    // after each of its network ticks.
    void frames(int count) {
        for (int i = 0; i < count; ++i) {
            harness->step();
            server->tick(0.0, 0.0);
            for (auto& client : clients) client->tick(0.0, 0.0);
            if (server->bNetTicked && !mirror->bFinished) checkStandIns();
        }
    }
    void join() {
        clients.emplace_back(makeRole(false));
        clients.back()->sendConnectRequest(server->getConnection()->getAddress());
    }
    void checkStandIns() {
        std::vector<Renderable*> parts;
        for (int i = 0; i < L::LAYER_COUNT; ++i)
            for (BasicLink* l = match->layer(i)->firstChild; l; l = l->next) WorldMirror::drawnPartsOf(l, parts);
        const int drawn = int(parts.size());
        for (Renderable* object : parts) {
            Renderable* s = mirror->standInFor(object);
            ASSERT_NE(s, nullptr) << object->getClass()->name.c_str();
            WorldMirror::Look look = WorldMirror::lookOf(object);
            ASSERT_EQ(s->position, look.position);
            ASSERT_EQ(s->rotation, look.rotation);
            ASSERT_EQ(s->pSkin, look.skin);
            ASSERT_EQ(s->color, look.color);
            ASSERT_EQ(s->parent, root);
            skinned += look.skin ? 1 : 0;
            particles += dynamic_cast<Sparc*>(object) ? 1 : 0;
            ++looked;
        }
        ASSERT_EQ(mirror->standInCount(), drawn);
        ASSERT_EQ(int(root->getNumChildren()), drawn);
        maxDrawn = std::max(maxDrawn, drawn);
    }
    // Every client holds the server's registered objects, state for state.
    void expectClientsMirror() {
        for (auto& client : clients) {
            ASSERT_EQ(client->quitReason, 0);
            ASSERT_EQ(client->objectMap.size(), server->objectMap.size());
            for (auto& entry : server->objectMap) {
                PlimBase* theirs = client->lookupObject(entry.first);
                ASSERT_NE(theirs, nullptr) << "UID " << entry.first;
                ASSERT_EQ(theirs->getClass(), entry.second->getClass());
                if (Renderable* mine = dynamic_cast<Renderable*>(entry.second)) {
                    Renderable* copy = static_cast<Renderable*>(theirs);
                    EXPECT_EQ(copy->position, mine->position);
                    EXPECT_EQ(copy->rotation, mine->rotation);
                    EXPECT_EQ(copy->scale, mine->scale);
                    EXPECT_EQ(copy->color, mine->color);
                    EXPECT_EQ(copy->pSkin, mine->pSkin);
                    EXPECT_EQ(copy->parent, client->root);
                }
            }
            EXPECT_EQ(childUIDs(client->root), childUIDs(root));
            EXPECT_EQ(client->nextObjectUID, server->nextObjectUID);
            EXPECT_EQ(rootOf(client.get())->draws, root->draws);
            EXPECT_EQ(rootOf(client.get())->sharedDraw, root->sharedDraw);
            EXPECT_EQ(client->worldHash(), server->worldHash());
        }
    }

    // A picture an effect draws is on every client as its stand-in: the named
    // frame of that effect's animation, in the picture's place, size, turn and colour.
    void expectShown(Renderable* part, const char* animation) {
        Renderable* s = mirror->standInFor(part);
        ASSERT_NE(s, nullptr) << animation;
        const std::string name = PLIM->resourceManager->nameOf(part->pSkin).c_str();
        EXPECT_EQ(name.substr(0, name.find(':')), animation);
        for (auto& client : clients) {
            Renderable* theirs = dynamic_cast<Renderable*>(client->lookupObject(s->objectUID));
            ASSERT_NE(theirs, nullptr) << animation;
            EXPECT_EQ(theirs->pSkin, part->pSkin);
            EXPECT_EQ(theirs->position, part->position);
            EXPECT_EQ(theirs->rotation, part->rotation);
            EXPECT_EQ(theirs->scale, part->scale);
            EXPECT_EQ(theirs->color, part->color);
            EXPECT_EQ(theirs->parent, client->root);
        }
    }
    int expectParticlesShown(Sparc* particles, int count, const char* animation) {
        int shown = 0;
        for (int i = 0; i < count; ++i) {
            if (particles[i].life <= 0.0f) {
                EXPECT_EQ(mirror->standInFor(&particles[i]), nullptr);
                continue;
            }
            expectShown(&particles[i], animation);
            ++shown;
        }
        return shown;
    }

    std::unique_ptr<MatchHarness> harness;
    DogfightMatch* match = nullptr;
    std::unique_ptr<NetRole> server;
    std::vector<std::unique_ptr<NetRole>> clients;
    MirrorRoot* root = nullptr;
    WorldMirror* mirror = nullptr;
    int looked = 0, skinned = 0, particles = 0, maxDrawn = 0;
};

TEST_F(WorldMirrorTest, ClientsShowTheServersDuelAndAgreeAtTheEnd) {
    join();
    frames(300);
    ASSERT_EQ(clients[0]->getPeers().getNumChildren(), 1u);
    join();
    frames(300);
    ASSERT_EQ(server->getPeerCount(), 2);
    // Islands, palms, pilots and their bullets at least; every one shown by a named picture.
    EXPECT_GE(maxDrawn, 10);
    EXPECT_EQ(skinned, looked);
    // Seeded at the first pass, again once the first client has shown that it
    // receives (a tick later), and for the late one; a draw each second.
    EXPECT_EQ(mirror->seedings, 3);
    EXPECT_GE(root->draws, 6);

    // Effects draw particles of their own, no Renderables: each burning one
    // is mirrored by itself, like the splash's ring.
    EXPECT_GT(particles, 0);
    const UColor soot(10, 20, 30, 255);
    Smoke* smoke = new Smoke(Emission(V3(100.0f, 200.0f, 0.0f)).particles(3).speeds(20.0f, 40.0f).toward(PI / 2.0f)
                                 .spreading(2.0f * PI).scaled(1.5f), soot);
    Explosion* burst = new Explosion(
        Emission(V3(-100.0f, 150.0f, 0.0f)).particles(4).speeds(30.0f, 60.0f).spreading(2.0f * PI).scaled(2.0f));
    Splash* splash = new Splash(
        Emission(V3(0.0f, 0.0f, 0.0f)).particles(5).speeds(100.0f, 200.0f).toward(PI / 2.0f).spreading(2.0f * PI));
    Firework* flares = new Firework(
        Emission(V3(200.0f, 100.0f, 0.0f)).particles(3).speeds(40.0f, 50.0f).spreading(2.0f * PI).scaled(2.0f), soot);
    for (PlimBase* effect : std::vector<PlimBase*>{smoke, burst, splash, flares})
        match->layer(L::LAYER_FIREWORKS)->addChild(effect);
    // A beam's own quad repeats its picture: shown stretched over it.
    Laser* laser = new Laser(0, -300.0f, -50.0f, 0.0f, 0.5f);
    match->layer(L::LAYER_BEAMS)->addChild(laser);
    frames(10);

    // Frozen: the match stands still under a screen of its own, the roles go on.
    Context* still = new Context();
    still->bDeleteWhenDone = true;
    harness->app->contextManager->push(still);
    frames(30);
    expectClientsMirror();
    EXPECT_EQ(expectParticlesShown(smoke->particles, smoke->count, "smoke"), 3);
    EXPECT_EQ(expectParticlesShown(burst->particles, burst->count, "explosion"), 4);
    EXPECT_EQ(expectParticlesShown(splash->particles, splash->count, "splash"), 5);
    expectShown(&splash->ring, "circularSplash");
    EXPECT_EQ(expectParticlesShown(flares->particles, flares->count, "flare"), 3);
    for (int i = 0; i < smoke->count; ++i) EXPECT_EQ(smoke->particles[i].color, soot);
    Renderable* beam = mirror->standInFor(laser);
    ASSERT_NE(beam, nullptr);
    const V3 centre = transformPoint(V3(0.0f, 0.0f, 0.0f), laser->xform);
    for (auto& client : clients) {
        Renderable* theirs = static_cast<Renderable*>(client->lookupObject(beam->objectUID));
        EXPECT_STREQ(PLIM->resourceManager->nameOf(theirs->pSkin).c_str(), "laser:0");
        const V3 at = transformPoint(V3(0.0f, 0.0f, 0.0f), theirs->xform);
        EXPECT_NEAR(at.x, centre.x, 0.01f);
        EXPECT_NEAR(at.y, centre.y, 0.01f);
        EXPECT_NEAR(theirs->scale.x * theirs->pSkin->width, laser->beamQuad->width, 0.01f);
        EXPECT_NEAR(theirs->scale.y * theirs->pSkin->height, laser->beamQuad->height, 0.01f);
        EXPECT_EQ(theirs->rotation, laser->rotation);
        EXPECT_EQ(theirs->color, laser->color);
        EXPECT_LT(laser->color.a, 255); // fading
    }

    // A world object deleted directly takes its stand-in with it everywhere,
    // and so does an effect each of its particles'.
    Renderable* island = static_cast<Renderable*>(static_cast<PlimBase*>(match->layer(L::LAYER_ISLANDS)->firstChild));
    std::vector<int> uids{mirror->standInFor(island)->objectUID};
    for (int i = 0; i < smoke->count; ++i) uids.push_back(mirror->standInFor(&smoke->particles[i])->objectUID);
    const size_t registered = server->objectMap.size();
    match->layer(L::LAYER_ISLANDS)->removeChild(island);
    delete island;
    match->layer(L::LAYER_FIREWORKS)->removeChild(smoke);
    delete smoke;
    frames(30);
    EXPECT_EQ(server->objectMap.size(), registered - 4);
    for (int uid : uids) {
        EXPECT_EQ(server->lookupObject(uid), nullptr);
        for (auto& client : clients) EXPECT_EQ(client->lookupObject(uid), nullptr);
    }
    expectClientsMirror();

    // The end call: last copies, then every side takes its hash on executing it.
    const int copies = mirror->copies;
    mirror->finish();
    frames(30);
    EXPECT_EQ(mirror->copies, copies); // nothing moved while frozen
    ASSERT_TRUE(root->bEnded);
    EXPECT_EQ(root->endHash, server->worldHash());
    EXPECT_EQ(root->endObjects, int(server->objectMap.size()));
    for (auto& client : clients) {
        MirrorRoot* theirs = rootOf(client.get());
        ASSERT_TRUE(theirs->bEnded);
        EXPECT_EQ(theirs->endHash, root->endHash);
        EXPECT_EQ(theirs->endObjects, root->endObjects);
    }
}

} // namespace
