// What the wire carries, on real sockets of 127.0.0.1: every kind of datagram
// byte for byte as the hosts write it, and peers of the unversioned wire
// (before the wire named its own version) refused with a reason they read.
#include "NetTestEngine.h"
#include "serial/Packet.h"
#include "DatagramForge.h"
#include "RecordingHost.h"
#include "net/NetConnection.h"
#include "net/SystemRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

typedef DatagramForge::Bytes Bytes;
typedef std::vector<std::string> Lines;

NetAddress addressOf(NetHost& host) { return host.getConnection()->getAddress(); }

// The next datagram at the socket, with the host stepped while it waits; empty
// when none came by the deadline.
Bytes next(NetConnection& at, NetHost* stepped = nullptr) {
    for (int i = 0; i < 5000; ++i) {
        if (stepped)
            stepped->update();
        if (Packet* d = at.receiveRaw())
            return Bytes(d->buffer, d->buffer + d->size);
        usleep(1000);
    }
    return Bytes();
}

std::string hex(const Bytes& b) {
    std::string s;
    char two[3];
    for (uint8_t c : b)
        s += (snprintf(two, sizeof two, "%02x", c), two);
    return s;
}

// A golden sequence written with a space between fields.
std::string fields(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
    return s;
}

void send(NetConnection& from, const Bytes& b, NetHost& to) {
    Packet* p = DatagramForge::readable(b, NetAddress());
    from.sendRaw(p, addressOf(to));
    delete p;
}

class NetWire : public ::testing::Test {
protected:
    void TearDown() override { SystemRandom::setFixedForTest(false); }
    NetTestEngine net{false};
};

} // namespace

// Every drawn number fixed: a field moved fails here.
TEST_F(NetWire, EveryKindIsPinned) {
    SystemRandom::setFixedForTest(true); // every draw: 01 02 03 ...
    RecordingHost server(true), other(true, "Tetris"), client(false);
    server.setHostUID(0x0A0B0C0D);
    // The servers see the client at one fixed address, which the ticket is made of.
    NetConnection tap(NetAddress(UString("127.77.0.1"), 4000), false);
    ASSERT_TRUE(tap.isOpen());
    client.sendConnectRequest(tap.getAddress());
    const Bytes connect = next(tap);
    send(tap, connect, other);
    send(tap, next(tap, &other), client); // another game's accept
    const Bytes refusalOfAccept = next(tap, &client);
    client.sendConnectRequest(tap.getAddress());
    send(tap, next(tap), server);
    const Bytes accept = next(tap, &server);
    send(tap, accept, client);
    const Bytes confirm = next(tap, &client);
    Packet hello;
    hello.doBytes(const_cast<char*>("hi"), 2);
    client.sendToAll(&hello);
    const Bytes data = next(tap);
    server.setMaxPeers(0);
    send(tap, connect, server);
    const Bytes refusal = next(tap, &server);

    // marker, type, game, wire version 3.00, name, nonce, checksum
    EXPECT_EQ(hex(connect), fields("fbfcfdfe 00000000 0c2804191d0a050a590f0e0604 00004040 041b0e0e19 "
                                   "0102030405060708 44e0d920"));
    // game, version, server's identifier, ticket (identifier, secret, nonce, slot)
    EXPECT_EQ(hex(accept), fields("fbfcfdfe 01000000 0c2804191d0a050a590f0e0604 00004040 0d0c0b0a c2ecb43d "
                                  "f48bd2a9c97d800c 0102030405060708 32000000 74f372d5"));
    // ticket, name
    EXPECT_EQ(hex(confirm), fields("fbfcfdfe 05000000 c2ecb43d f48bd2a9c97d800c 0102030405060708 32000000 "
                                   "041b0e0e19 7d106787"));
    // identifier, secret, sequence, bits, acknowledgement, length, checksum, piece
    EXPECT_EQ(hex(data), fields("c2ecb43d f48bd2a9c97d800c 01 02 00 02 dc150e54 6869"));
    // reason, the request's nonce
    EXPECT_EQ(hex(refusal), fields("fbfcfdfe 02000000 0f380e191d0e194b02184b0d1e070745 0102030405060708 276af606"));
    // reason, the accept's secret, its ticket
    EXPECT_EQ(hex(refusalOfAccept), fields("fbfcfdfe 02000000 1222050804061b0a1f0209070e4b0c0a060e45 f48bd2a9c97d800c "
                                           "c2ecb43d f48bd2a9c97d800c 0102030405060708 32000000 3c3c37a5"));
}

TEST_F(NetWire, PeersOfTheUnversionedWireAreRefusedWithTheReason) {
    RecordingHost server(true), client(false);
    NetConnection old(NetAddress(UString("127.0.0.1"), 0));
    // Written as the unversioned wire writes them, with the game's version.
    auto written = [](uint32_t type, auto fields) {
        Packet p;
        fields(p);
        return DatagramForge::connection(type, Bytes(p.buffer, p.cursor), true);
    };
    UString game = "Corvana2demo", name = "old", reason;
    double version = 2.6;
    uint64_t nonce = 0x1122334455667788ull, secret = 0x0102030405060708ull;
    uint32_t id = 7, slot = 0;
    send(old, written(NetHost::TYPE_CONNECT, [&](Packet& p) {
        p.doUString(&game, -1);
        p.doDouble(&version);
        p.doUString(&name, -1);
        p.doBytes(&nonce, 8);
    }), server);
    // An old client reads its refusal: the reason, then its request's nonce.
    reason = "You need at least version 3.00 of the game (you have 2.60).";
    EXPECT_EQ(next(old, &server), written(NetHost::TYPE_REJECT, [&](Packet& p) {
        p.doUString(&reason, -1);
        p.doBytes(&nonce, 8);
    }));

    // An old server's accept: its ticket has the nonce second. Only the one
    // answering the client's request is taken, and refused in the old layout.
    client.sendConnectRequest(old.getAddress());
    uint64_t asked = 0;
    Bytes request = next(old);
    ASSERT_GE(request.size(), 12u);
    memcpy(&asked, &request[request.size() - 12], 8); // before the checksum
    for (uint64_t echoed : {asked + 1, asked})
        send(old, written(NetHost::TYPE_ACCEPT, [&](Packet& p) {
            p.doUString(&game, -1);
            p.doDouble(&version);
            p.doBytes(&id, 4); // the server's, then the ticket
            p.doBytes(&id, 4);
            p.doBytes(&echoed, 8);
            p.doBytes(&secret, 8);
            p.doBytes(&slot, 4);
        }), client);
    reason = "Server must be at least version 3.00 of the game (it's 2.60).";
    EXPECT_EQ(next(old, &client), written(NetHost::TYPE_REJECT, [&](Packet& p) {
        p.doUString(&reason, -1);
        p.doBytes(&secret, 8);
        p.doBytes(&id, 4);
        p.doBytes(&asked, 8);
        p.doBytes(&slot, 4);
    }));
    EXPECT_EQ(client.events, Lines{std::string("rejected ") + reason.c_str()});
    EXPECT_EQ(client.getPeerCount(), 0);
}
