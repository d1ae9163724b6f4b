// A server on a real socket of 127.0.0.1 under more than it can take: forged
// requests get answers only within the budget, honest clients join under
// floods from fresh addresses and from a few at once, one update takes a
// bounded share of a flood while the peers still get their sends, and one
// address that joins and leaves without end spends only its share of
// admissions (and is told so) while clients from other addresses join.
#include "NetTestEngine.h"
#include "DatagramForge.h"
#include "RecordingHost.h"
#include "StillClock.h"
#include "TestDeadline.h"
#include "serial/Packet.h"
#include "net/NetConnection.h"
#include "net/NetStats.h"
#include "net/NetTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <unistd.h>

namespace {

typedef std::vector<std::string> Lines;

const uint32_t LOOPBACK = 0x7F000001u;
// One update stops taking datagrams this long in real time after its first
// CLOCK_EVERY, at its next look at the clock (one every CLOCK_EVERY).
const double DRAIN_SECONDS = 0.02;
const int CLOCK_EVERY = 32;

NetAddress at(uint32_t ip, uint16_t port = 0) {
    NetAddress a;
    a.set(ip, port);
    return a;
}

// A client of its own address (a new port each time).
std::unique_ptr<RecordingHost> clientAt(uint32_t ip) {
    std::unique_ptr<RecordingHost> c(new RecordingHost(false));
    c->setConnection(new NetConnection(at(ip)), true);
    return c;
}

void say(NetHost& from, std::string word) {
    Packet p;
    p.doBytes(&word[0], int(word.size()));
    from.sendToAll(&p);
}

// Asks as an owner does, every few steps, until the server admits it or nothing changes for long.
bool joins(RecordingHost& server, RecordingHost& client) {
    size_t before = server.events.size();
    for (int i = 0; i < 2000 && server.events.size() == before && client.events.empty(); ++i) {
        if (i % 20 == 0)
            client.sendConnectRequest(server.getConnection()->getAddress());
        RecordingHost::exchange(server, client);
    }
    return server.events.size() > before && server.events.back().compare(0, 10, "connected ") == 0;
}

// A connect request as the game writes it.
DatagramForge::Bytes recordedRequest() {
    RecordingHost asker(false);
    NetConnection recorder(at(LOOPBACK));
    asker.sendConnectRequest(recorder.getAddress());
    Packet* recorded = recorder.receiveRaw();
    return recorded ? DatagramForge::Bytes(recorded->buffer, recorded->buffer + recorded->size)
                    : DatagramForge::Bytes();
}

TEST(NetHostUnderFlood, AnswersToAddressesNotShownToReceiveStayWithinTheBudgetAndAnHonestRepeatGetsOne) {
    if (!DatagramForge::canSendRaw())
        GTEST_SKIP() << "forged sources take a raw socket (CAP_NET_RAW)";
    NetTestEngine net(false);
    RecordingHost server(true);
    const NetAddress target = server.getConnection()->getAddress();
    const DatagramForge::Bytes request = recordedRequest();
    ASSERT_FALSE(request.empty());
    const DatagramForge::Bytes data = DatagramForge::data(0x1234, 0x5678, 1, false, 0, {"forged"});
    const int flood = 3 * NetAnswerBudget::RATE;
    for (const DatagramForge::Bytes* forged : {&request, &data}) {
        net.advance(2 * NetAnswerBudget::RECALL_SECONDS); // a full budget, nobody remembered
        long before = server.getConnection()->getSendCalls();
        for (int i = 0; i < flood; ++i) {
            DatagramForge::sendRaw(*forged, at(0x7F100000u + uint32_t(i) * 16, uint16_t(2000 + i)), target);
            if (i % 64 == 63)
                server.update();
        }
        for (int i = 0; i < 100; ++i)
            server.update();
        long answered = server.getConnection()->getSendCalls() - before;
        EXPECT_GT(answered, NetAnswerBudget::RATE / 2) << (forged == &data ? "data" : "connect");
        EXPECT_LE(answered, NetAnswerBudget::RATE) << (forged == &data ? "data" : "connect");
    }
    // The budget of first requests is spent; an honest client asking again gets its answer.
    std::unique_ptr<RecordingHost> honest = clientAt(0x7F0000FEu);
    EXPECT_TRUE(joins(server, *honest));
}

// Each 50 ms the floods' share comes first, forged requests from fresh
// addresses, from four fixed ones and from ports of one, each beyond what the
// budget gives; every honest client's request comes after it.
TEST(NetHostUnderFlood, HonestFirstJoinsGetInUnderFloodsFromFreshAddressesAndAFewFixedOnesAtOnce) {
    if (!DatagramForge::canSendRaw())
        GTEST_SKIP() << "forged sources take a raw socket (CAP_NET_RAW)";
    NetTestEngine net(false);
    RecordingHost server(true);
    const NetAddress target = server.getConnection()->getAddress();
    auto taken = [&server] { NetStats all(0.0); server.getConnection()->addTraffic(&all); return long(all.packetsIn); };
    const DatagramForge::Bytes request = recordedRequest();
    ASSERT_FALSE(request.empty());
    const int EACH = 250, CLIENTS = 5, HEAD_START = 20, STEPS_BETWEEN_CLIENTS = 10;
    const int STEPS_BETWEEN_REQUESTS = 5; // 0.25 s, as an owner asks again
    std::vector<std::unique_ptr<RecordingHost>> honest;
    uint32_t fresh = 0x7F200000u;
    size_t admitted = 0;
    for (int step = 0; step < 400 && admitted < CLIENTS; ++step) {
        net.advance(0.05);
        for (int i = 0; i < EACH; ++i) {
            DatagramForge::sendRaw(request, at(++fresh, 2000), target);
            DatagramForge::sendRaw(request, at(0x7F300000u + uint32_t(i % 4), 3000), target);
            DatagramForge::sendRaw(request, at(0x7F400001u, uint16_t(4000 + i % 64)), target);
        }
        const long flooded = taken() + 3 * EACH;
        ASSERT_TRUE(TestDeadline::waitFor([&] { return server.update(), taken() >= flooded; }));
        if (step >= HEAD_START && step % STEPS_BETWEEN_CLIENTS == 0 && honest.size() < CLIENTS)
            honest.push_back(clientAt(0x7F000040u + uint32_t(honest.size())));
        for (auto& c : honest)
            if (c->getPeerCount() == 0 && step % STEPS_BETWEEN_REQUESTS == 0)
                c->sendConnectRequest(target);
        admitted = 0;
        for (auto& c : honest) {
            RecordingHost::exchange(server, *c);
            admitted += server.findPeer(c->getConnection()->getAddress()) != nullptr;
        }
    }
    EXPECT_EQ(admitted, size_t(CLIENTS));
}

TEST(NetHostUnderFlood, AnUpdateTakesABoundedShareOfAFloodAndThePeersStillGetTheirSends) {
    NetTestEngine net(false);
    RecordingHost server(true), client(false);
    const int flood = NetHost::MAX_DRAINED + 2000; // the kernel counts 832 bytes for each
    if (server.getConnection()->getReceiveBufferBytes() < flood * 832)
        GTEST_SKIP() << "a receive buffer that holds the flood takes CAP_NET_ADMIN (or a larger net.core.rmem_max)";
    ASSERT_TRUE(joins(server, client));
    NetConnection flooder(at(LOOPBACK + 1));
    Packet junk(Packet::FLAG_FILTER1, 40);
    for (int i = 0; i < 40; ++i)
        junk.doBytes(const_cast<char*>("x"), 1);
    for (int i = 0; i < flood; ++i)
        flooder.sendRaw(&junk, server.getConnection()->getAddress());
    say(client, "behind the flood");
    client.update();

    int32_t before = server.getConnection()->getStats()->packetsIn;
    stillClock = true; // the count alone bounds the update
    server.update();
    stillClock = false;
    int taken = server.getConnection()->getStats()->packetsIn - before;
    EXPECT_GT(taken, 0);
    EXPECT_LE(taken, int(NetHost::MAX_DRAINED));
    EXPECT_TRUE(server.received.empty()); // still waiting behind the rest
    say(server, "tick");
    for (int i = 0; i < 100 && client.received.empty(); ++i)
        client.update();
    EXPECT_EQ(client.received, Lines{"tick"});
    for (int i = 0; i < 100 && server.received.empty(); ++i)
        server.update();
    EXPECT_EQ(server.received, Lines{"behind the flood"});
}

// Each bound alone: a thousand datagrams handled quickly go in one update with
// what came behind them, unless its time ran out first (a busy machine); ones
// that take a millisecond each go only for the update's time, the rest
// waiting for the next.
TEST(NetHostUnderFlood, AnUpdateTakesABurstWholeButStopsAfterItsTime) {
    struct SlowHost : RecordingHost {
        SlowHost() : RecordingHost(true) {}
        void servicePacket(Packet* datagram) override { usleep(1000); RecordingHost::servicePacket(datagram); }
    };
    NetTestEngine net;
    RecordingHost server(true), client(false);
    SlowHost slow;
    ASSERT_TRUE(joins(server, client));
    Packet junk; // shorter than anything a sender of ours writes
    junk.doBytes(const_cast<char*>("junk"), 4);
    for (int i = 0; i < 1200; ++i)
        client.getConnection()->sendRaw(&junk, (i < 1000 ? server : slow).getConnection()->getAddress());
    say(client, "behind the burst");
    const auto start = std::chrono::steady_clock::now();
    server.update();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    slow.update();
    EXPECT_TRUE(server.received == Lines{"behind the burst"} || took.count() > DRAIN_SECONDS)
        << "stopped mid-burst after " << took.count() << " s";
    // Each took a millisecond at least: the clock's first look, the time's worth
    // and what came before its next look.
    const int slowest = CLOCK_EVERY + (int(DRAIN_SECONDS * 1000.0) / CLOCK_EVERY + 1) * CLOCK_EVERY;
    EXPECT_LE(slow.getConnection()->getStats()->packetsIn, slowest);
}

TEST(NetHostUnderFlood, OneAddressJoiningAndLeavingSpendsOnlyItsShareAndIsToldWhileOthersJoin) {
    NetTestEngine net(false);
    RecordingHost server(true);
    server.setMaxPeers(64);
    // Many clients of one address (a LAN behind one router) join.
    std::vector<std::unique_ptr<RecordingHost>> lan;
    for (int i = 0; i < 32; ++i) {
        lan.push_back(clientAt(LOOPBACK));
        ASSERT_TRUE(joins(server, *lan.back())) << i;
    }
    for (auto& c : lan)
        c->disconnectAll();
    server.update();
    // One address joins and leaves as fast as it can, each time from a new
    // port; its refusals come with the reason.
    const NetAddress target = server.getConnection()->getAddress();
    int admitted = 0;
    Lines refusals;
    auto cycle = [&] {
        std::unique_ptr<RecordingHost> cycler = clientAt(LOOPBACK + 1);
        cycler->sendConnectRequest(target);
        net.advance(0.001); // the answer budget of a real second over 1,000 joins
        RecordingHost::exchange(server, *cycler);
        for (const std::string& e : cycler->events)
            if (e.compare(0, 8, "rejected") == 0)
                refusals.push_back(e);
        if (server.getPeerCount() > 0) {
            ++admitted;
            cycler->disconnectAll();
            server.update();
        }
    };
    for (int i = 0; i < 4200; ++i) // more than one address may ever hold
        cycle();
    int honestAdmitted = 0;
    for (uint32_t k = 0; k < 20; ++k) {
        for (int i = 0; i < 20; ++i)
            cycle();
        std::unique_ptr<RecordingHost> honest = clientAt(LOOPBACK + 2 + k);
        honestAdmitted += joins(server, *honest);
        honest->disconnectAll();
        server.update();
    }
    EXPECT_EQ(honestAdmitted, 20);
    EXPECT_LE(admitted, int(NetAdmission::SHARE));
    ASSERT_FALSE(refusals.empty());
    EXPECT_EQ(refusals.back(), "rejected Too many joins from your address just now; try again in a few seconds.");
}

} // namespace
