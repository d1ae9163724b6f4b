// The data path between a host and its peers: pieces, their wire form,
// ordering and joining, and the checks that drop damaged or impossible
// datagrams.
#include "DataPathTest.h"
#include "net/NetConnection.h"
#include "net/Node.h"
#include "serial/Packet.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

long residentKB() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

TEST_F(DataPathTest, PacketsAreCutIntoEqualPiecesAndJoinedAgain) {
    const std::vector<std::pair<int, std::vector<int>>> cases = {
        {0, {0}}, {511, {511}}, {512, {257, 255}}, {1000, {501, 499}}, {1024, {342, 342, 340}}};
    std::vector<std::string> sent;
    for (const auto& c : cases) {
        std::vector<int> lengths, more;
        for (Packet* d : serverSends(pattern(c.first))) {
            lengths.push_back(parse(d).length);
            more.push_back(parse(d).more);
        }
        EXPECT_EQ(lengths, c.second) << c.first;
        std::vector<int> flags(c.second.size(), 1);
        flags.back() = 0;
        EXPECT_EQ(more, flags) << c.first;
        sent.push_back(pattern(c.first));
    }
    RecordingHost::exchange(*server, *client);
    EXPECT_EQ(client->received, sent);
    EXPECT_EQ(toServer->getSequenceIn(), 9);
}

TEST_F(DataPathTest, WireFormOfOnePiece) {
    NetHost host("Corvana2demo", 2.6, "peer", 0, true);
    host.setHostUID(0x01020304);
    Packet from;
    Node* peer = host.addPeer(&from, "peer");
    peer->identify(peer->getUID(), 0x1122334455667788ull);
    Packet* p = packetOf("abc");
    host.sendToPeer(p, peer);
    delete p;
    ASSERT_EQ(peer->getOutQueue().getNumChildren(), 1u);
    EXPECT_EQ(bytesOf(static_cast<Packet*>(peer->getOutQueue().firstChild)),
              (Bytes{0x04, 0x03, 0x02, 0x01, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x01, 0x02, 0x00, 0x03,
                     0xD8, 0x40, 0xFC, 0x6D, 0x61, 0x62, 0x63}));
}

TEST_F(DataPathTest, PiecesOutOfOrderDuplicatesAndLateCopies) {
    std::vector<Bytes> d = serverDatagrams(pattern(1024));
    toClientDirect(d[0]);
    EXPECT_EQ(client->getReadyCount(), 0u);
    toClientDirect(d[2]);
    toClientDirect(d[2]);
    EXPECT_EQ(toServer->getInQueue().getNumChildren(), 1u);
    EXPECT_EQ(clientStats()->outOfOrder, 0);
    toClientDirect(d[1]);
    EXPECT_EQ(clientStats()->outOfOrder, 1);
    EXPECT_EQ(client->getReadyCount(), 1u);
    toClientDirect(d[0]);
    client->update();
    EXPECT_EQ(client->received, std::vector<std::string>{pattern(1024)});
    EXPECT_EQ(toServer->getSequenceIn(), 3);
}

// In order, pieces are joined as they come into room sized by the packet
// before; a longer packet, in order or with a piece late, outgrows it.
TEST_F(DataPathTest, LongerPacketsAfterShorterOnesJoinWhole) {
    std::vector<std::string> sent = {pattern(1024), pattern(9000), pattern(1500), pattern(20000)};
    for (size_t k = 0; k < sent.size(); ++k) {
        std::vector<Bytes> d = serverDatagrams(sent[k]);
        if (k == 3)
            std::swap(d[1], d[5]); // the second piece comes late
        for (const Bytes& b : d)
            toClientDirect(b);
    }
    client->update();
    EXPECT_EQ(client->received, sent);
}

// A packet's bytes count once however its pieces came, joined as they came
// in order or with one late: packets of the limit pass again and again, and
// one byte more, with a piece late, removes the peer.
TEST_F(DataPathTest, JoinedBytesCountOnceHoweverThePiecesCame) {
    const int pieces = Node::MAX_JOINED_BYTES / NetHost::MAX_PIECE;
    const std::string full(NetHost::MAX_PIECE, 'x');
    int sequence = 0;
    auto arrive = [&](bool late, bool oneMore) {
        int first = sequence + 1, count = pieces + oneMore;
        sequence += count;
        for (int k = 0; k < count; ++k) {
            int seq = first + (late && k == 1 ? 2 : late && k == 2 ? 1 : k);
            bool last = seq == sequence;
            toServerDirect(dataDatagram(client->getHostUID(), secret(), seq, !last, 0, {last && oneMore ? "y" : full}),
                           client->getConnection()->getAddress());
        }
    };
    for (int i = 0; i < 6; ++i)
        arrive(i % 2, false);
    server->update();
    EXPECT_EQ(server->received.size(), 6u);
    arrive(true, true);
    EXPECT_EQ(server->getPeerCount(), 0);
}

TEST_F(DataPathTest, NewPiecesKeepAPeerAliveButJunkDoesNot) {
    uint32_t id = client->getHostUID();
    NetAddress from = client->getConnection()->getAddress();
    // Piece 1 never arrives; every later one is new and shows the peer alive.
    for (int seq = 2; seq <= 9; ++seq) {
        net.advance(1.0);
        toServerDirect(dataDatagram(id, secret(), seq, false, 0, {"after a gap"}), from);
        server->update();
    }
    EXPECT_EQ(server->getPeerCount(), 1);
    EXPECT_EQ(toClient->getSequenceIn(), 0);

    // Damaged datagrams, copies of held pieces and stale ones prove nothing.
    Bytes damaged = dataDatagram(id, secret(), 10, false, 0, {"damaged"});
    damaged.back() ^= 1;
    for (int second = 0; second < 5; ++second) {
        net.advance(1.0);
        toServerDirect(damaged, from);
        toServerDirect(dataDatagram(id, secret(), 9, false, 0, {"after a gap"}), from);
        toServerDirect(dataDatagram(id + 1, secret(), 11, false, 0, {"someone else"}), from);
        server->update();
        EXPECT_EQ(server->getPeerCount(), 1) << second;
    }
    net.advance(0.001);
    server->update();
    EXPECT_EQ(server->getPeerCount(), 0);
}

TEST_F(DataPathTest, DamagedDatagramsAreDroppedWhole) {
    std::vector<Packet*> sent = serverSends("payload");
    Bytes good = bytesOf(sent[0]);
    for (size_t i = 4; i < good.size(); ++i)
        for (int bit = 0; bit < 8; ++bit) {
            Bytes bad = good;
            bad[i] ^= uint8_t(1 << bit);
            toClientDirect(bad);
        }
    EXPECT_EQ(toServer->getSequenceIn(), 0);
    EXPECT_EQ(toServer->getInQueue().getNumChildren(), 0u);
    // A few a second are logged.
    EXPECT_GE(net.log().findPrefix("serviceInPacketNormal(): WARNING: received corrupt packet contents "
                                   "(from=127.0.0.1:1, sequence="),
              0);
    Bytes longer = good;
    longer.push_back(0);
    toClientDirect(longer);
    toClientDirect(Bytes(good.begin(), good.end() - 1));
    uint32_t id = server->getHostUID();
    toClientDirect(dataDatagram(id, secret(), 1, false, 0, {"a", "b"}));
    toClientDirect(dataDatagram(id, secret(), 1, false, 0, {}, {3}));
    toClientDirect(dataDatagram(id, secret(), 1, false, 5, {"ack beyond what was sent"}));
    toClientDirect(dataDatagram(id, secret(), 4097, false, 0, {"too far ahead"}));
    toClientDirect(dataDatagram(id, secret(), 1, false, 0, {std::string(NetHost::MAX_PIECE + 1, 'x')}));
    EXPECT_EQ(toServer->getSequenceIn(), 0);
    EXPECT_EQ(toServer->getInQueue().getNumChildren(), 0u);
    toClientDirect(dataDatagram(id, secret(), 4096, false, 0, {"far but kept"}));
    EXPECT_EQ(toServer->getInQueue().getNumChildren(), 1u);

    toClientDirect(good);
    client->update();
    EXPECT_EQ(client->received, std::vector<std::string>{"payload"});
}

TEST_F(DataPathTest, EndlessPacketRemovesThePeer) {
    uint32_t id = client->getHostUID();
    NetAddress from = client->getConnection()->getAddress();
    // A packet of the limit passes; one byte more does not, even with its last piece.
    const int pieces = Node::MAX_JOINED_BYTES / NetHost::MAX_PIECE;
    for (int seq = 1; seq <= 2 * pieces; ++seq)
        toServerDirect(dataDatagram(id, secret(), seq, seq != pieces, 0, {std::string(NetHost::MAX_PIECE, 'x')}), from);
    server->update();
    ASSERT_EQ(server->received.size(), 1u);
    EXPECT_EQ(server->received[0].size(), size_t(Node::MAX_JOINED_BYTES));
    EXPECT_EQ(server->getPeerCount(), 1);
    toServerDirect(dataDatagram(id, secret(), 2 * pieces + 1, false, 0, {"y"}), from);
    EXPECT_EQ(server->getPeerCount(), 0);
    EXPECT_GE(net.log().findPrefix("serviceInPacketNormal(): Peer 127.0.0.1:2 sent more than 66048 bytes"), 0);

    // Empty pieces that never end a packet count too.
    client->removePeer(firstPeer(*client), false);
    client->sendConnectRequest(server->getConnection()->getAddress());
    RecordingHost::exchange(*server, *client);
    ASSERT_EQ(client->getPeerCount(), 1); // its first datagram below proves the accept
    uint64_t fresh = firstPeer(*client)->getSecret();
    for (int seq = 1; seq <= Node::MAX_JOINED_PIECES + 1; ++seq)
        toServerDirect(dataDatagram(client->getHostUID(), fresh, seq, true, 0, {""}), from);
    EXPECT_EQ(server->getPeerCount(), 0);
}

TEST_F(DataPathTest, PeerPortFollowsItsLatestDatagram) {
    uint32_t id = client->getHostUID();
    toServerDirect(dataDatagram(id, secret(), 1, false, 0, {"moved"}), NetAddress(UString("127.0.0.1"), 777));
    EXPECT_EQ(toClient->getAddress().toString(), "127.0.0.1:777");
    toServerDirect(dataDatagram(id, secret(), 2, false, 0, {"other ip"}), NetAddress(UString("10.0.0.1"), 777));
    server->update();
    EXPECT_EQ(server->received, std::vector<std::string>{"moved"});
}

TEST_F(DataPathTest, CopiesAndForgeriesFromElsewhereChangeNothingOnlyTheNextNewPieceMovesAClient) {
    uint32_t id = client->getHostUID();
    NetAddress home = client->getConnection()->getAddress(), elsewhere(UString("127.0.0.1"), 777);
    serverSends("for the client");
    NetStats* stats = server->getConnection()->getStats();
    Bytes first = dataDatagram(id, secret(), 1, false, 0, {"one"}), third = dataDatagram(id, secret(), 3, false, 0, {"three"});
    toServerDirect(first, home);
    toServerDirect(third, home);
    net.advance(1.0);
    // Delivered, held ahead of order, asking for a resend, an empty piece far
    // ahead: from another port, nothing happens.
    toServerDirect(first, elsewhere);
    toServerDirect(third, elsewhere);
    toServerDirect(dataDatagram(id, secret(), 4000, false, 0, {""}), elsewhere);
    toServerDirect(dataDatagram(id, secret(), 2, false, 0, {"two"}, {1}), elsewhere);
    toServerDirect(dataDatagram(id, secret(), 3, false, 1, {"three"}, {1}), elsewhere);
    EXPECT_EQ(toClient->getAddress().toString(), home.toString());
    EXPECT_EQ(toClient->getSequenceIn(), 1);
    EXPECT_EQ(toClient->getInQueue().getNumChildren(), 1u);
    EXPECT_EQ(toClient->getSequenceAcked(), 0);
    EXPECT_EQ(stats->resendRequests, 0);
    // From its own address a held number is still welcome, and the next one moves it.
    toServerDirect(dataDatagram(id, secret(), 2, false, 0, {"two"}), home);
    toServerDirect(dataDatagram(id, secret(), 4, false, 0, {"four"}), elsewhere);
    EXPECT_EQ(toClient->getAddress().toString(), "127.0.0.1:777");
    toServerDirect(third, home); // now the copy comes from elsewhere
    EXPECT_EQ(toClient->getAddress().toString(), "127.0.0.1:777");
    toServerDirect(dataDatagram(id, secret(), 5, false, 0, {"five"}, {1}), elsewhere);
    server->update();
    EXPECT_EQ(server->received, (std::vector<std::string>{"one", "two", "three", "four", "five"}));
    EXPECT_EQ(stats->resendRequests, 1);
    EXPECT_EQ(stats->resends, 1);

    // A client's server stays where it was dialled, whatever comes from elsewhere.
    for (int seq : {1, 4000}) {
        DatagramForge::inject(*client, dataDatagram(server->getHostUID(), secret(), seq, false, 0, {""}), elsewhere);
    }
    EXPECT_EQ(toServer->getSequenceIn(), 0);
    EXPECT_EQ(toServer->getInQueue().getNumChildren(), 0u);
}

TEST_F(DataPathSockets, WholePacketsCrossRealSocketsWhileAPeerSendsOversizedPieces) {
    NetTestEngine net(false);
    RecordingHost server(true), client(false), hostile(false);
    ASSERT_FALSE(server.getConnection()->isEmulated());
    for (RecordingHost* c : {&client, &hostile})
        joinOverSockets(server, *c);
    ASSERT_EQ(server.getPeerCount(), 2);

    // The hostile peer's pieces are far longer than any sender cuts: all but
    // the first are held ahead of order, then the first would join them.
    const int ahead = NetHost::MAX_SEQUENCE_AHEAD - 1, pieceBytes = 60000, allowedKB = 2048;
    const std::vector<std::string> piece{std::string(size_t(pieceBytes), 'x')};
    Packet d; // reused: the sender allocates nothing that would count
    long before = residentKB(), grown = 0;
    for (int i = 1; i <= ahead + 1 && grown <= allowedKB; ++i) {
        int seq = i <= ahead ? 2 + i : 2; // after its hello
        d.reset();
        DatagramForge::writeData(d, hostile.getHostUID(), firstPeer(hostile)->getSecret(), seq, seq != ahead + 2, 0, piece);
        hostile.getConnection()->sendRaw(&d, server.getConnection()->getAddress());
        server.update();
        if (i % 256 == 0 || i > ahead) // stops early where they are kept
            grown = residentKB() - before;
    }
    printf("resident memory grown by %ld kB under %d pieces of %d bytes\n", grown, ahead + 1, pieceBytes);
    EXPECT_LE(grown, allowedKB);
    EXPECT_EQ(server.received, (std::vector<std::string>{"hello", "hello"}));

    std::vector<std::string> sent = {pattern(65536), "", pattern(513)};
    for (const std::string& s : sent)
        say(server, s);
    for (int i = 0; i < 500 && client.received.size() < sent.size(); ++i) {
        RecordingHost::exchange(server, client);
        usleep(1000);
    }
    EXPECT_EQ(client.received, sent);
}

} // namespace
