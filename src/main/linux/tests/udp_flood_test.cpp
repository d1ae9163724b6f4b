// A server on a real socket of 127.0.0.1, serviced every 50 ms of the game's
// clock, under 50,000 forged datagrams a second of every kind: the flood sends
// each service interval's share at that rate, and the next share only once the
// server services, so that the kernel holds what the game's 50 ms would bring
// however the machine schedules the threads. A service takes what waits in as
// many updates as it needs (one takes a bounded share). An honest client keeps
// its place, and each of its datagrams (sent last before a service) arrives
// within a few services. The flood comes through a raw socket from ever new
// addresses (as root), and from ordinary sockets.
#include "NetTestEngine.h"
#include "DatagramFlood.h"
#include "RecordingHost.h"
#include "serial/Packet.h"
#include "net/NetConnection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

const double FLOOD_RATE = 50000.0;
const double SERVICE_INTERVAL = 0.05;
const long SHARE = long(FLOOD_RATE * SERVICE_INTERVAL);
// What the kernel holds by a service (the share and the next one's start),
// at about 830 bytes of its own for each small datagram.
const int FLOOD_BYTES_BY_A_SERVICE = 2 * 2500 * 1024;
const int ROUNDS = 30;
// Services a datagram may take to arrive: a lost one is asked for and resent.
const int LATE_SERVICES = 5;
// Short, so that losing the client's datagrams for a third of the test drops it.
const double SERVER_TIMEOUT = 0.5;
// For a share of the flood to be sent (50 ms), on any machine.
const double SHARE_DEADLINE = 30.0;

void say(RecordingHost& host, const std::string& word) {
    Packet p;
    p.doBytes(const_cast<char*>(word.data()), int(word.size()));
    host.sendToAll(&p);
}

bool join(RecordingHost& server, RecordingHost& client) {
    client.sendConnectRequest(server.getConnection()->getAddress());
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
    if (server.getConnection()->getReceiveBufferBytes() < FLOOD_BYTES_BY_A_SERVICE)
        GTEST_SKIP() << "net.core.rmem_max keeps the receive buffer at " << server.getConnection()->getReceiveBufferBytes()
                     << " bytes, less than the flood brings by a service (CAP_NET_ADMIN goes past it)";
    ASSERT_TRUE(join(server, client));
    DatagramFlood flood(server.getConnection()->getAddress(), DatagramFlood::MIXED, via, 7);
    if (flood.getVia() != via)
        GTEST_SKIP() << "forged sources take a raw socket (CAP_NET_RAW)";
    std::atomic<bool> stop{false};
    std::atomic<long> allowed{SHARE};
    std::thread flooder([&] { flood.run(FLOOD_RATE, 3600.0, &stop, &allowed); });
    std::vector<std::string> sent;
    bool flooded = true;
    int late = -1; // the first service by which a datagram had not arrived
    for (int i = 0; i < ROUNDS + LATE_SERVICES && server.getPeerCount() == 1 && flooded; ++i) {
        for (int wait = 0; wait < SHARE_DEADLINE * 1000 && flood.getSent() < allowed; ++wait)
            usleep(1000);
        flooded = flood.getSent() >= allowed;
        net.advance(SERVICE_INTERVAL);
        allowed += SHARE; // the next interval's share comes during this service
        if (i < ROUNDS) {
            sent.push_back("round " + std::to_string(i));
            say(client, sent.back());
        }
        client.update();
        for (int k = 0; k < 100 && server.received.size() < sent.size(); ++k)
            server.update();
        say(server, "ack");
        if (late < 0 && int(server.received.size()) < std::min(i + 1 - LATE_SERVICES, ROUNDS))
            late = i;
    }
    stop = true;
    flooder.join();
    EXPECT_TRUE(flooded) << "the flood's share was not sent within " << SHARE_DEADLINE << " s";
    EXPECT_EQ(server.events, std::vector<std::string>{"connected peer"});
    EXPECT_EQ(late, -1) << "a datagram took more than " << LATE_SERVICES << " services";
    EXPECT_EQ(server.received, sent);
}

TEST(NetFlood, AnHonestClientKeepsItsPlaceUnderAFloodFromForgedAddresses) { holdsUnderFlood(DatagramFlood::RAW); }

TEST(NetFlood, AnHonestClientKeepsItsPlaceUnderAFloodFromOrdinarySockets) {
    holdsUnderFlood(DatagramFlood::SOCKETS);
}

} // namespace
