// What the wire carries, on real sockets of 127.0.0.1, with every drawn number
// fixed: each kind of connection packet byte for byte as the hosts write it (a
// field moved fails here; DataPathTest pins the data header), and peers of the
// earlier wire (the game's version where the wire's goes, the ticket's nonce
// second, later third) refused with a reason they read.
#include "NetTestEngine.h"
#include "serial/Packet.h"
#include "DatagramForge.h"
#include "FixedDraws.h"
#include "RecordingHost.h"
#include "net/NetConnection.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

typedef DatagramForge::Bytes Bytes;

std::string hex(const Bytes& b) {
    std::string s;
    for (uint8_t c : b)
        s += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return s;
}

// A connection packet as the earlier wire writes it, its body given in hex.
Bytes earlier(uint32_t type, const std::string& body) {
    Bytes b;
    for (size_t i = 0; i + 1 < body.size(); i += 2)
        b.push_back(uint8_t(std::stoi(body.substr(i, 2), nullptr, 16)));
    return DatagramForge::connection(type, b, true);
}

} // namespace

TEST(NetWire, EveryKindIsPinnedAndBothEarlierWiresAreRefusedWithTheirReason) {
    NetTestEngine net(false);
    fixedDraws = true;
    RecordingHost server(true), other(true, "Tetris"), client(false);
    server.setHostUID(0x0A0B0C0D);
    // The ticket is made of the client's address: a fixed one, which another run holds a moment at most.
    std::unique_ptr<NetConnection> tap;
    for (int i = 0; i < 1200 && !(tap && tap->isOpen()); ++i, usleep(50000))
        tap.reset(new NetConnection(NetAddress(UString("127.77.0.1"), 4000), false));
    ASSERT_TRUE(tap->isOpen());
    // The next datagram at the tap, the host stepped while it waits; none by the deadline: empty.
    auto next = [&](NetHost* stepped) {
        for (int i = 0; i < 5000; ++i, usleep(1000)) {
            if (stepped)
                stepped->update();
            if (Packet* d = tap->receiveRaw())
                return Bytes(d->buffer, d->buffer + d->size);
        }
        return Bytes();
    };
    auto send = [&](const Bytes& b, NetHost& to) {
        std::unique_ptr<Packet> p(DatagramForge::readable(b, NetAddress()));
        tap->sendRaw(p.get(), to.getConnection()->getAddress());
    };
    const std::string game = "0c2804191d0a050a590f0e0604", version260 = "66662640";
    client.sendConnectRequest(tap->getAddress());
    const Bytes connect = next(nullptr);
    // A server of the earlier wire: only the accept with our nonce at its place answers us.
    for (std::string echoed : {"0202030405060708", "0102030405060708"})
        send(earlier(NetHost::TYPE_ACCEPT, game + version260 + "07000000" "07000000" + echoed + "1122334455667788"
                                                                 "00000000"), client);
    const Bytes refusalOfEarlier = next(&client);
    // One of the previous main's, the nonce third as in ours; an accept of ours with it second is dropped.
    const std::string previousTicket = "07000000" "1122334455667788" "0102030405060708" "00000000";
    client.sendConnectRequest(tap->getAddress());
    next(nullptr);
    send(earlier(NetHost::TYPE_ACCEPT, game + "00004040" "0700000007000000" "0102030405060708" "1122334455667788"
                                                         "00000000"), client);
    send(earlier(NetHost::TYPE_ACCEPT, game + version260 + "07000000" + previousTicket), client);
    const Bytes refusalOfPrevious = next(&client);
    client.sendConnectRequest(tap->getAddress());
    send(next(nullptr), other);
    send(next(&other), client);
    const Bytes refusalOfAccept = next(&client);
    client.sendConnectRequest(tap->getAddress());
    send(next(nullptr), server);
    const Bytes accept = next(&server);
    send(accept, client);
    const Bytes confirm = next(&client);
    // A client of the earlier wire, named "old".
    send(earlier(NetHost::TYPE_CONNECT, game + version260 + "0304070f" "8877665544332211"), server);
    const Bytes refusalOfEarlierClient = next(&server);
    server.setMaxPeers(0);
    send(connect, server);
    const Bytes refusal = next(&server);
    fixedDraws = false;

    // marker, type, then the body's fields in order, then the checksum
    const std::string nonce = "0102030405060708", ticket = "c2ecb43d" "f48bd2a9c97d800c" + nonce + "32000000";
    EXPECT_EQ(hex(connect), "fbfcfdfe" "00000000" + game + "00004040" "041b0e0e19" + nonce + "44e0d920");
    EXPECT_EQ(hex(accept), "fbfcfdfe" "01000000" + game + "00004040" "0d0c0b0a" + ticket + "74f372d5");
    EXPECT_EQ(hex(confirm), "fbfcfdfe" "05000000" + ticket + "041b0e0e19" "7d106787");
    EXPECT_EQ(hex(refusal), "fbfcfdfe" "02000000" "0f380e191d0e194b02184b0d1e070745" + nonce + "276af606");
    // "Incompatible game.", the accept's secret and its ticket
    EXPECT_EQ(hex(refusalOfAccept), "fbfcfdfe" "02000000" "1222050804061b0a1f0209070e4b0c0a060e45" "f48bd2a9c97d800c" +
                                        ticket + "3c3c37a5");
    // The earlier wire's: "Server must be at least version 3.00 of the game (it's 2.60).", the
    // accept's secret, identifier, nonce and slot; "You need at least version 3.00 of the game
    // (you have 2.60).", the request's nonce.
    EXPECT_EQ(hex(refusalOfEarlier), "fbfcfdfe" "02000000" "3d380e191d0e194b061e181f4b090e4b0a1f4b070e0a181f4b1d0e1918"
                                     "0204054b58455b5b4b040d4b1f030e4b0c0a060e4b43021f4c184b59455d5b4245"
                                     "1122334455667788" "07000000" + nonce + "00000000" "ea0a5786");
    // The previous main's: the same text and secret (156 digits), then its ticket.
    EXPECT_EQ(hex(refusalOfPrevious), hex(refusalOfEarlier).substr(0, 156) + previousTicket + "4ddcbba7");
    EXPECT_EQ(hex(refusalOfEarlierClient), "fbfcfdfe" "02000000" "3b32041e4b050e0e0f4b0a1f4b070e0a181f4b1d0e191802"
                                           "04054b58455b5b4b040d4b1f030e4b0c0a060e4b4312041e4b030a1d0e4b59455d5b4245"
                                           "8877665544332211" "91fb19b5");
    EXPECT_EQ(client.events, (std::vector<std::string>{
                                 "rejected Server must be at least version 3.00 of the game (it's 2.60).",
                                 "rejected Server must be at least version 3.00 of the game (it's 2.60).",
                                 "connected ServerPlayer"}));
}
