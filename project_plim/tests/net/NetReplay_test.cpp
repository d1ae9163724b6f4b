// A server on a real socket of 127.0.0.1 under replayed connect requests: a
// recorded request sent again from other ports is accepted, but it
// never shows that it receives there. Each gets at most three times the bytes
// that came from its port and nothing of the world, and holds no slot; a real
// client joins amid a flood.
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "render/Renderable.h"
#include "RoleTestEngine.h"
#include "serial/RootObjectBase.h"
#include "net/NetConnection.h"
#include "net/NetStats.h"
#include "net/NetRole.h"
#include "net/NetTime.h"
#include "net/PlimNetwork.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>
#include <memory>
#include <vector>

TEST(NetReplay, ReplayedAndForgedConnectRequestsGetLittleAndHoldNoSlot) {
    RoleTestEngine net;
    PLIM->network->bEmulateLocalhost = false;
    std::unique_ptr<NetRole> server(RoleTestEngine::makeRole(true));
    ASSERT_FALSE(server->getConnection()->isEmulated());
    RootObjectBase* root = new RootObjectBase();
    server->registerObject(root, 1);
    for (int i = 0; i < 40; ++i) {
        Renderable* r = new Renderable();
        server->registerObject(r, 0);
        root->addChild(r);
    }
    net.tickRoles(0.05, server.get());

    // A client's own request, recorded on its way, then sent once from each of four other ports.
    std::unique_ptr<NetRole> client(RoleTestEngine::makeRole(false));
    auto plainSocket = [] { return new NetConnection(NetAddress(UString("127.0.0.1"), 0)); };
    std::unique_ptr<NetConnection> recorder(plainSocket());
    client->sendConnectRequest(recorder->getAddress());
    Packet* recorded = recorder->receiveRaw();
    ASSERT_NE(recorded, nullptr);
    Packet request(Packet::FLAG_FILTER1, recorded->size);
    request.doBytes(recorded->buffer, recorded->size);
    std::vector<std::unique_ptr<NetConnection>> hostile;
    for (int i = 0; i < 4; ++i) {
        hostile.emplace_back(plainSocket());
        hostile.back()->sendRaw(&request, server->getConnection()->getAddress());
    }

    std::vector<long> received(hostile.size(), 0), data(hostile.size(), 0);
    for (int tick = 0; tick < 40; ++tick) {
        net.tickRoles(0.05, server.get());
        EXPECT_EQ(server->getPeerCount(), 0);
        for (size_t i = 0; i < hostile.size(); ++i)
            while (Packet* d = hostile[i]->receiveRaw()) {
                received[i] += d->size;
                data[i] += d->size < 4 || d->buffer[0] != 0xFB || d->buffer[3] != 0xFE;
            }
    }
    for (size_t i = 0; i < hostile.size(); ++i) {
        printf("bytes sent per replayed connect request of %d bytes: %ld (%ld data datagrams)\n",
               request.getLength(), received[i], data[i]);
        EXPECT_GT(received[i], 0) << i; // its accept
        EXPECT_LE(received[i], 3 * request.getLength()) << i;
        EXPECT_EQ(data[i], 0) << i;
    }

    // Refusals stay within that budget: a request to a full server, one of a
    // version below any (the reason alone would take 100 bytes).
    for (int maxPeers : {0, 8}) {
        server->setMaxPeers(maxPeers);
        NetHost asker("Corvana2", maxPeers ? -FLT_MAX : NetHost::WIRE_VERSION, "", 0, false);
        asker.setConnection(plainSocket(), true);
        asker.sendConnectRequest(server->getConnection()->getAddress());
        int asked = asker.getConnection()->getStats()->payloadBytesOut, answered = 0;
        for (int tick = 0; tick < 20 && !answered; ++tick) {
            net.tickRoles(0.05, server.get());
            while (Packet* d = asker.getConnection()->receiveRaw())
                answered += d->size;
        }
        printf("bytes sent per refused connect request of %d bytes: %d\n", asked, answered);
        EXPECT_GT(answered, 0);
        EXPECT_LE(answered, 3 * asked);
    }

    // A flood from fresh ports of another address: nothing is kept for it,
    // and a real client amid it joins and gets the world.
    for (int tick = 0; tick < 100 && client->objectMap.size() < server->objectMap.size(); ++tick) {
        for (int i = 0; i < 32; ++i) {
            std::unique_ptr<NetConnection> fresh(new NetConnection(NetAddress(UString("127.0.0.2"), 0)));
            fresh->sendRaw(&request, server->getConnection()->getAddress());
        }
        if (tick % 10 == 5 && client->getPeerCount() == 0) // as a client repeats its request
            client->sendConnectRequest(server->getConnection()->getAddress());
        net.tickRoles(0.05, server.get(), client.get());
    }
    EXPECT_EQ(client->objectMap.size(), server->objectMap.size());
    EXPECT_EQ(server->getPeerCount(), 1);
}
