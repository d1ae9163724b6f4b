// A server on a real socket of 127.0.0.1, serviced at the game's 50 ms,
// under 50,000 forged datagrams a second of every kind: an honest client's
// datagrams, each sent last before a service, all arrive, so the client is
// not dropped. A service takes what waits in as many updates as it needs (one
// takes a bounded share): a host slower than the flood loses nothing either. The flood comes through a raw socket from ever new addresses
// (as root), and from ordinary sockets.
#include "NetTestEngine.h"
#include "DatagramFlood.h"
#include "RecordingHost.h"
#include "serial/Packet.h"
#include "net/NetConnection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

const double FLOOD_RATE = 50000.0;
const double SERVICE_INTERVAL = 0.05;
// What the flood leaves in the kernel's buffer between two services, at
// about 830 bytes of the kernel's own for each small datagram.
const int FLOOD_BYTES_PER_INTERVAL = 2500 * 1024;
const int ROUNDS = 30;
// Short, so that losing the client's datagrams for a third of the test drops it.
const double SERVER_TIMEOUT = 0.5;

void say(RecordingHost& host, const std::string& word) {
    Packet p;
    p.doBytes(const_cast<char*>(word.data()), int(word.size()));
    host.sendToAll(&p);
}

bool join(RecordingHost& server, RecordingHost& client) {
    client.sendConnectRequest(server.getConnection()->address);
    for (int i = 0; i < 2000 && (server.getPeerCount() == 0 || client.getPeerCount() == 0); ++i) {
        RecordingHost::exchange(server, client);
        usleep(1000);
    }
    return server.getPeerCount() == 1 && client.getPeerCount() == 1;
}

void holdsUnderFlood(DatagramFlood::Via via) {
    NetTestEngine net(false);
    RecordingHost server(true), client(false);
    server.setTimeout(SERVER_TIMEOUT);
    if (geteuid() != 0 && server.getConnection()->receiveBufferBytes < FLOOD_BYTES_PER_INTERVAL)
        GTEST_SKIP() << "net.core.rmem_max keeps the receive buffer at " << server.getConnection()->receiveBufferBytes
                     << " bytes, less than one service interval of the flood";
    ASSERT_TRUE(join(server, client));
    DatagramFlood flood(server.getConnection()->address, DatagramFlood::MIXED, via, 7);
    if (flood.getVia() != via)
        GTEST_SKIP() << "no raw socket here";
    std::atomic<bool> stop{false};
    std::thread flooder([&] { flood.run(FLOOD_RATE, 60.0, &stop); });
    std::vector<std::string> sent;
    for (int i = 0; i < ROUNDS && server.getPeerCount() == 1; ++i) {
        usleep(useconds_t(SERVICE_INTERVAL * 1e6));
        net.advance(SERVICE_INTERVAL);
        // Behind all that came since the last service.
        sent.push_back("round " + std::to_string(i));
        say(client, sent.back());
        client.update();
        for (int k = 0; k < 100 && server.received.size() < sent.size(); ++k)
            server.update();
        say(server, "ack");
    }
    stop = true;
    flooder.join();
    EXPECT_EQ(server.events, std::vector<std::string>{"connected peer"});
    EXPECT_EQ(server.received, sent);
}

TEST(NetFlood, AnHonestClientKeepsItsPlaceUnderAFloodFromForgedAddresses) { holdsUnderFlood(DatagramFlood::RAW); }

TEST(NetFlood, AnHonestClientKeepsItsPlaceUnderAFloodFromOrdinarySockets) {
    holdsUnderFlood(DatagramFlood::SOCKETS);
}

} // namespace
