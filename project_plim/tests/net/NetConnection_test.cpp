// The network part, the localhost emulation and UDP connections: emulated and
// on real sockets on 127.0.0.1, with the clock on a manual tick source.
#include "ExpectFatal.h"
#include "NetTestEngine.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "render/TextPrinter.h"
#include "net/NetConnection.h"
#include "net/PlimNetwork.h"
#include "util/Random.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

Packet* datagram(const std::string& bytes) {
    Packet* p = new Packet(Packet::FLAG_FILTER1, -1);
    p->doBytes(const_cast<char*>(bytes.data()), static_cast<int>(bytes.size()));
    return p;
}

void send(NetConnection& from, const NetConnection& to, const std::string& bytes) {
    Packet* p = datagram(bytes);
    from.sendRaw(p, to.getAddress());
    delete p;
}

std::string content(Packet* p) { return std::string(reinterpret_cast<char*>(p->buffer), p->size); }

NetAddress localhost(uint16_t port) { return NetAddress(UString("127.0.0.1"), port); }

TEST(PlimNetwork, StartsWritesItsKeyAndCleansUp) {
    NetTestEngine net;
    EXPECT_TRUE(PLIM->network->bEmulateLocalhost);
    LogText log = net.close();
    int start = log.find("PlimNetwork(): Starting...");
    ASSERT_GE(start, 0);
    EXPECT_EQ(log.lines[size_t(start + 1)], "PlimNetwork(): Done.");
    int cleanup = log.find("~PlimNetwork(): Cleaning up...");
    ASSERT_GT(cleanup, 0);
    EXPECT_EQ(log.lines[size_t(cleanup - 1)], "~Plim(): 2...");
    EXPECT_EQ(log.lines[size_t(cleanup + 1)], "~PlimNetwork(): Done.");
    std::string cfg = EngineTestFolder::readFile(net.folder.userSettingsPath());
    EXPECT_NE(cfg.find("[PlimNetwork]\nbEmulateLocalhost=Yes\n"), std::string::npos) << cfg;
}

TEST(PlimNetwork, EmulatedConnectionsTalkThroughTheQueueInOrder) {
    NetTestEngine net;
    PlimNetwork* network = PLIM->network;
    NetConnection* a = new NetConnection(localhost(23006));
    NetConnection* b = new NetConnection(localhost(23006));
    NetConnection c(localhost(0));
    EXPECT_TRUE(a->isEmulated());
    EXPECT_EQ(a->getAddress().toString(), "127.0.0.1:1");
    EXPECT_EQ(b->getAddress().toString(), "127.0.0.1:2");
    EXPECT_EQ(c.getAddress().toString(), "127.0.0.1:3");

    send(*a, *b, "one");
    send(*a, *b, "two");
    send(*a, *b, "");
    send(*b, *a, "back");
    send(*a, c, "nobody reads");
    Packet nowhere;
    a->sendRaw(&nowhere, localhost(40000));
    for (const char* expected : {"one", "two", ""}) {
        Packet* p = b->receive();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(content(p), expected);
        EXPECT_EQ(p->address.toString(), "127.0.0.1:1");
        b->releasePacket(p);
    }
    EXPECT_EQ(b->receive(), nullptr);
    EXPECT_EQ(network->getQueueLength(), 3);

    // A's own datagrams go with it; those addressed to it stay.
    delete a;
    EXPECT_EQ(network->getQueueLength(), 1);
    EXPECT_GE(net.log().find("flushEmulatedPackets(): Flushed packets for 127.0.0.1:1, queue length is now 1."), 0);
    delete b; // and with B goes its datagram to A
    EXPECT_EQ(network->getQueueLength(), 0);

    // A datagram too long for any receive buffer is refused.
    Packet huge(Packet::FLAG_FILTER1, 70000);
    huge.cursor += 65537;
    c.sendRaw(&huge, localhost(1));
    EXPECT_EQ(network->getQueueLength(), 0);
    EXPECT_GE(net.log().findPrefix("queueEmulatedPacket(): Refused a datagram of 65537 bytes"), 0);
}

TEST(NetConnection, CountsTrafficInOneSecondSamples) {
    NetTestEngine net;
    NetConnection a(localhost(0)), b(localhost(0));
    send(a, b, std::string(100, 'x'));
    b.releasePacket(b.receive());
    NetStats* out = a.getStats();
    NetStats* in = b.getStats();
    EXPECT_EQ(out->packetsOut, 1);
    EXPECT_EQ(out->bytesOut, 128);
    EXPECT_EQ(out->payloadBytesOut, 100);
    EXPECT_EQ(in->packetsIn, 1);
    EXPECT_EQ(in->bytesIn, 128);
    EXPECT_EQ(in->payloadBytesIn, 100);
    send(a, b, "");
    EXPECT_EQ(out->bytesOut, 156);
    EXPECT_EQ(out->payloadBytesOut, 100);

    // Twelve seconds of traffic: about ten samples stay, the ended ones are totalled.
    for (int i = 0; i < 120; ++i) {
        net.advance(0.1);
        send(a, b, "tick");
    }
    int samples = int(a.getHistorySamples());
    EXPECT_GE(samples, 10);
    EXPECT_LE(samples, 11);
    NetStats* current = a.getStats();
    EXPECT_EQ(a.getEndedTotal().packetsOut + current->packetsOut, 122);
    EXPECT_DOUBLE_EQ(current->endTime - current->startTime, 1.0);
    EXPECT_EQ(a.getEndedTotal().startTime, 0.0);
}

TEST(NetConnection, SimulatedLossAndDelay) {
    NetTestEngine net;
    NetConnection a(localhost(0)), b(localhost(0));
    b.setSimulation(1.0, 0.0, 0.0);
    send(a, b, "lost");
    send(a, b, "lost too");
    EXPECT_EQ(b.receive(), nullptr);
    EXPECT_EQ(b.getStats()->packetsLost, 2); // one loss does not end the call: all waiting is taken
    EXPECT_EQ(b.receive(), nullptr);
    EXPECT_EQ(b.getStats()->packetsLost, 2);

    b.setSimulation(0.0, 0.5, 0.0);
    send(a, b, "late");
    EXPECT_EQ(b.receive(), nullptr);
    net.advance(0.499);
    EXPECT_EQ(b.receive(), nullptr);
    net.advance(0.001);
    Packet* late = b.receive();
    ASSERT_NE(late, nullptr);
    EXPECT_NE(late, b.getReceivePacket());
    EXPECT_EQ(content(late), "late");
    b.releasePacket(late); // deleted

    b.setSimulation(0.0, 0.0, 0.0);
    send(a, b, "now");
    // Without a simulated loss, traffic leaves the program's random sequence alone.
    Random::seed(5);
    int32_t next = Random::next();
    Random::seed(5);
    Packet* own = b.receive();
    EXPECT_EQ(Random::next(), next);
    ASSERT_EQ(own, b.getReceivePacket());
    b.releasePacket(own); // kept
    EXPECT_EQ(b.getStats()->packetsLost, 2);
}

struct CountingPrinter : TextPrinter {
    void printAt(float, float, float, UColor, int, const UString&) override { ++prints; }
    int prints = 0;
};

TEST(NetConnection, GraphNeedsTwoSamples) {
    NetTestEngine net;
    NetConnection a(localhost(0));
    CountingPrinter printer;
    a.drawStats(&printer, 0, 100, 100, 0, "bytes in", &NetStats::bytesIn);
    a.getStats();
    a.drawStats(&printer, 0, 100, 100, 0, "bytes in", &NetStats::bytesIn);
    EXPECT_EQ(printer.prints, 0);
}

TEST(NetConnection, RealSocketsOnLoopback) {
    NetTestEngine net(false);
    NetConnection any{NetAddress()};
    ASSERT_TRUE(any.isOpen());
    EXPECT_FALSE(any.isEmulated());
    EXPECT_NE(any.getAddress().getPort(), 0);
    LogText log = net.log();
    EXPECT_GE(log.find("NetConnection(): Binding to address: 0.0.0.0:0."), 0);
    std::string port = std::to_string(any.getAddress().getPort());
    EXPECT_GE(log.find("NetConnection(): Bound to address: 0.0.0.0:" + port + "."), 0);
    EXPECT_GE(log.findPrefix("NetConnection(): Receive buffer is "), 0);
    EXPECT_GE(any.getReceiveBufferBytes(), 1);

    NetConnection a(localhost(0)), b(localhost(0));
    EXPECT_FALSE(a.isEmulated());
    send(a, b, std::string(65507, 'u'));
    Packet* p = nullptr;
    for (int i = 0; i < 1000 && !p; ++i) {
        p = b.receive();
        if (!p)
            usleep(1000);
    }
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->size, 65507);
    EXPECT_TRUE(p->address.sameEndpoint(a.getAddress()));
    EXPECT_EQ(b.getStats()->bytesIn, 65507 + 28);
    b.releasePacket(p);
    EXPECT_EQ(b.receive(), nullptr);

    // A datagram to a closed port comes back as a refusal: nothing received, nothing logged.
    int closedPort;
    {
        NetConnection gone(localhost(0));
        closedPort = gone.getAddress().getPort();
    }
    Packet q;
    a.sendRaw(&q, localhost(uint16_t(closedPort)));
    usleep(20000);
    EXPECT_EQ(a.receive(), nullptr);
    EXPECT_LT(net.log().findPrefix("receiveRaw(): WARNING"), 0);

    // A taken port: fatal with the system's text, or, in the non-fatal form,
    // the connection stays closed with a warning.
    EXPECT_FATAL(NetConnection again(a.getAddress()), "Address already in use\n Statement: "
                                                 "bind(wsaSocket,address.getSockAddr(),sizeofSockAddr)");
    NetConnection taken(a.getAddress(), false);
    EXPECT_FALSE(taken.isOpen());
    EXPECT_GE(net.log().findPrefix("NetConnection(): WARNING: Address already in use"), 0);
    Packet r;
    taken.sendRaw(&r, a.getAddress());
    EXPECT_EQ(taken.receive(), nullptr);
    EXPECT_EQ(taken.getHistorySamples(), 0);
}

// Bound to all addresses, a connection answers from the address it was sent
// to: the pieces of a batch still go to the kernel many at a time.
TEST(NetConnection, ABatchFromTheAddressAskedGoesInFewSendCalls) {
    NetTestEngine net(false);
    // Dialled at 127.0.0.2: the route back to 127.0.0.1 would pick 127.0.0.1,
    // so only the source the batch is given makes the answers come from there.
    NetConnection server{NetAddress()}, client(localhost(0));
    const NetAddress serverAt(UString("127.0.0.2"), server.getAddress().getPort());
    Packet hello;
    client.sendRaw(&hello, serverAt);
    Packet* p = nullptr;
    for (int i = 0; i < 1000 && !(p = server.receive()); ++i)
        usleep(1000);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(server.lastLocalIP(), serverAt.getIP());
    server.setReplySource(client.getAddress(), server.lastLocalIP());

    const int count = 100;
    std::vector<std::string> bytes;
    std::vector<std::unique_ptr<Packet>> pieces;
    std::vector<Packet*> batch;
    for (int i = 0; i < count; ++i) {
        bytes.push_back(std::to_string(i) + std::string(509, 'p'));
        bytes.back().resize(512);
        pieces.emplace_back(datagram(bytes.back()));
        batch.push_back(pieces.back().get());
    }
    long before = server.getSendCalls();
    server.sendRawBatch(batch.data(), count, client.getAddress());
    long calls = server.getSendCalls() - before;
    EXPECT_GE(calls, 1);
    EXPECT_LE(calls * 4, count);
    EXPECT_EQ(server.getStats()->packetsOut, count);
    for (int i = 0; i < count; ++i) {
        Packet* q = nullptr;
        for (int wait = 0; wait < 1000 && !(q = client.receive()); ++wait)
            usleep(1000);
        ASSERT_NE(q, nullptr) << i;
        EXPECT_EQ(content(q), bytes[size_t(i)]) << i;
        EXPECT_TRUE(q->address.sameEndpoint(serverAt)) << q->address.toString().c_str();
        client.releasePacket(q);
    }
}

} // namespace
