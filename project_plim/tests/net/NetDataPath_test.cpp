// The data path between a host and its peers: pieces, their wire form,
// ordering, acknowledgements, resend requests, ping, and the checks that drop
// damaged or impossible datagrams.
#include "NetTestEngine.h"
#include "serial/Packet.h"
#include "DatagramForge.h"
#include "RecordingHost.h"
#include "net/NetConnection.h"
#include "net/NetTime.h"
#include "net/Node.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

typedef std::vector<uint8_t> Bytes;

struct Piece {
    int sequence, more, ack, request, length;
    std::vector<int> requests;
};

// Reads a datagram's header the way the wire form lays it out.
Piece parse(Packet* datagram) {
    Packet p(Packet::FLAG_FILTER1, datagram->getLength());
    p.doBytes(datagram->buffer, datagram->getLength());
    p.rewindToRead();
    uint32_t id;
    uint64_t secret;
    p.doBytes(&id, 4);
    p.doBytes(&secret, 8);
    p.doHeader();
    Piece piece{p.sequence, p.continued, 0, -1, 0, {}};
    p.doUInt(&piece.ack);
    uint8_t kind = 0;
    p.doBits(&kind, 1);
    while (!(kind & 1) && !p.hasError()) {
        int request = 0;
        p.doUInt(&request);
        piece.requests.push_back(request);
        p.doBits(&kind, 1);
    }
    if (!piece.requests.empty())
        piece.request = piece.requests[0];
    p.doUInt(&piece.length);
    return piece;
}

void writeDatagram(Packet& p, uint32_t id, uint64_t secret, int sequence, bool more, int ack,
                   const std::vector<std::string>& pieces, const std::vector<int>& requests = {}) {
    DatagramForge::writeData(p, id, secret, sequence, more, ack, pieces, requests);
}
Bytes dataDatagram(uint32_t id, uint64_t secret, int sequence, bool more, int ack,
                   const std::vector<std::string>& pieces, const std::vector<int>& requests = {}) {
    return DatagramForge::data(id, secret, sequence, more, ack, pieces, requests);
}
Packet* readable(const Bytes& bytes, const NetAddress& from) { return DatagramForge::readable(bytes, from); }

Bytes bytesOf(Packet* p) { return Bytes(p->buffer, p->buffer + p->getLength()); }

Packet* packetOf(const std::string& bytes) {
    Packet* p = new Packet(Packet::FLAG_FILTER1, -1);
    p->doBytes(const_cast<char*>(bytes.data()), static_cast<int>(bytes.size()));
    return p;
}

long residentKB() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::string pattern(int n) {
    std::string s(size_t(n), '\0');
    for (int i = 0; i < n; ++i)
        s[size_t(i)] = char(i * 7 + i / 251);
    return s;
}

Node* firstPeer(NetHost& host) { return static_cast<Node*>(host.getPeers().firstChild); }

// The connection as if it had carried nothing yet, both ways: a fresh node in
// the old one's place, under its identity, as a reconnection gets one.
Node* renewPeer(NetHost& host) {
    Node* old = firstPeer(host);
    Packet from;
    from.address = old->getAddress();
    UString name = old->getName();
    uint32_t id = old->getUID();
    uint64_t secret = old->getSecret();
    host.removePeer(old, false);
    Node* fresh = host.addPeer(&from, name);
    fresh->identify(id, secret);
    return fresh;
}

void say(NetHost& from, const std::string& bytes) {
    Packet* p = packetOf(bytes);
    from.sendToAll(p);
    delete p;
}

// Over real sockets: asks until accepted, then shows the server that it receives.
void joinOverSockets(RecordingHost& server, RecordingHost& client) {
    for (int i = 0, peers = server.getPeerCount(); i < 500 && server.getPeerCount() == peers; ++i) {
        if (i % 50 == 0 && client.getPeerCount() == 0)
            client.sendConnectRequest(server.getConnection()->getAddress());
        RecordingHost::exchange(server, client);
        if (client.getPeerCount() == 1 && firstPeer(client)->getSequenceOut() == 0)
            say(client, "hello");
        usleep(1000);
    }
}

class DataPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        client->sendConnectRequest(server->getConnection()->getAddress());
        RecordingHost::exchange(*server, *client);
        Packet hello; // its first data proves the accept
        client->sendToAll(&hello);
        RecordingHost::exchange(*server, *client);
        ASSERT_EQ(server->getPeerCount(), 1);
        ASSERT_EQ(client->getPeerCount(), 1);
        // The cases count sequence numbers from a connection that has carried nothing yet.
        toClient = renewPeer(*server);
        toServer = renewPeer(*client);
        server->received.clear();
    }
    uint64_t secret() const { return toClient->getSecret(); }
    // Sends a packet from the server and returns its datagrams (kept in outQueue).
    std::vector<Packet*> serverSends(const std::string& bytes) {
        BasicLink* before = toClient->getOutQueue().lastChild;
        Packet* p = packetOf(bytes);
        server->sendToAll(p);
        delete p;
        std::vector<Packet*> sent;
        for (BasicLink* l = before ? before->next : toClient->getOutQueue().firstChild; l; l = l->next)
            sent.push_back(static_cast<Packet*>(l));
        return sent;
    }
    // Hands a datagram to the client as if it came from the server.
    void toClientDirect(const Bytes& bytes) {
        Packet* p = readable(bytes, server->getConnection()->getAddress());
        client->servicePacket(p);
        delete p;
    }
    void toServerDirect(const Bytes& bytes, NetAddress from) {
        Packet* p = readable(bytes, from);
        server->servicePacket(p);
        delete p;
    }
    NetStats* clientStats() { return client->getConnection()->getStats(); }

    NetTestEngine net;
    std::unique_ptr<RecordingHost> server{new RecordingHost(true)};
    std::unique_ptr<RecordingHost> client{new RecordingHost(false)};
    Node* toClient = nullptr;
    Node* toServer = nullptr;
};

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
    std::vector<Bytes> d;
    for (Packet* p : serverSends(pattern(1024)))
        d.push_back(bytesOf(p));
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
        std::vector<Bytes> d;
        for (Packet* p : serverSends(sent[k]))
            d.push_back(bytesOf(p));
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

TEST_F(DataPathTest, ResendRequestsCycleThroughTheGaps) {
    Node* node = toServer;
    auto arrives = [&](int seq) {
        Packet* piece = new Packet(Packet::FLAG_FILTER1, 0);
        piece->sequence = seq;
        node->newIncoming(piece, netTime());
    };
    for (int seq : {1, 2, 4, 6})
        arrives(seq);
    ASSERT_EQ(node->getSequenceIn(), 2);
    std::vector<int> asked;
    for (int i = 0; i < 4; ++i)
        asked.push_back(node->nextResendRequest());
    EXPECT_EQ(asked, (std::vector<int>{3, 5, 3, 5}));
    for (int seq : {3, 5})
        arrives(seq);
    EXPECT_EQ(node->nextResendRequest(), 0);
    EXPECT_EQ(node->getLastResendRequest(), 5);
}

TEST_F(DataPathTest, PingFollowsTheQuickestAcknowledgedPiece) {
    for (double age : {0.1, 0.3}) {
        Packet* piece = new Packet(Packet::FLAG_FILTER1, 0);
        piece->sequence = toClient->takeSequenceOut();
        piece->time = netTime() - age;
        toClient->addOutgoing(piece);
    }
    toClient->takeAcknowledgement(2, netTime());
    EXPECT_NEAR(toClient->getPing(), 0.235, 1e-12);
    EXPECT_EQ(toClient->getOutQueue().getNumChildren(), 0u);
}

TEST_F(DataPathTest, LostPieceIsAskedForAndSentAgainOnceNotTooRecent) {
    std::vector<Bytes> d;
    for (Packet* p : serverSends(pattern(1024)))
        d.push_back(bytesOf(p));
    toClientDirect(d[0]);
    toClientDirect(d[2]);
    Packet* reply = packetOf("r");
    client->sendToAll(reply);
    EXPECT_EQ(parse(static_cast<Packet*>(toServer->getOutQueue().lastChild)).request, 2);
    server->update();
    NetStats* stats = server->getConnection()->getStats();
    EXPECT_EQ(stats->resendRequests, 1);
    EXPECT_EQ(stats->resends, 0); // asked within half a round trip of its sending
    EXPECT_EQ(toClient->getSequenceAcked(), 1);
    EXPECT_EQ(toClient->getOutQueue().getNumChildren(), 2u);

    net.advance(0.4); // a missing piece is asked for again after 1.5 round trips
    client->sendToAll(reply);
    delete reply;
    server->update();
    EXPECT_EQ(stats->resendRequests, 2);
    EXPECT_EQ(stats->resends, 1);
    client->update();
    EXPECT_EQ(client->received, (std::vector<std::string>{pattern(1024)}));
}

// Asked for, the oldest piece goes again as often as it would be asked for,
// whether or not more requests come through, long before the timer's second.
TEST_F(DataPathTest, TheOldestPieceAskedForGoesAgainAsOftenAsRequestsCome) {
    std::vector<Bytes> d;
    for (Packet* p : serverSends(pattern(1024)))
        d.push_back(bytesOf(p));
    toClientDirect(d[1]);
    toClientDirect(d[2]);
    say(*client, "asks for the first");
    NetStats* stats = server->getConnection()->getStats();
    for (int resent = 0; resent <= 3; ++resent, net.advance(0.11)) {
        server->update();
        EXPECT_EQ(stats->resends, resent);
    }
}

TEST_F(DataPathTest, SeveralGapsAskedAtOnceAndTheOldestPieceSentAgainWhenOverdue) {
    std::vector<Bytes> d;
    for (Packet* p : serverSends(pattern(4000)))
        d.push_back(bytesOf(p));
    ASSERT_EQ(d.size(), 8u);
    while (client->getConnection()->receiveRaw()) {
    } // all lost on the way; some are handed over below
    Packet* reply = packetOf("r");
    toClientDirect(d[0]);
    client->sendToAll(reply);
    server->update();
    EXPECT_EQ(toClient->getRoundTrip(), 0.0); // measured at once, while ping leaves 0.25 s slowly
    EXPECT_NEAR(toClient->getPing(), 0.225, 1e-12);

    for (size_t i : {2, 4, 6})
        toClientDirect(d[i]);
    net.advance(0.1);
    client->sendToAll(reply);
    // The last piece is missing too, but nothing after it shows that yet.
    EXPECT_EQ(parse(static_cast<Packet*>(toServer->getOutQueue().lastChild)).requests, (std::vector<int>{2, 4, 6}));
    client->sendToAll(reply);
    EXPECT_TRUE(parse(static_cast<Packet*>(toServer->getOutQueue().lastChild)).requests.empty()); // asked just now
    server->update();
    NetStats* stats = server->getConnection()->getStats();
    EXPECT_EQ(stats->resendRequests, 3);
    EXPECT_EQ(stats->resends, 3);
    client->update();
    EXPECT_EQ(toServer->getSequenceIn(), 7);

    // No request can name the last piece: the timer sends it again once its
    // acknowledgement is later than the resend timeout, then after twice that.
    client->sendToAll(reply);
    server->update();
    EXPECT_EQ(toClient->getSequenceAcked(), 7);
    const double wait = toClient->resendTimeout();
    int resends = stats->resends;
    for (double due : {wait - 0.1, 2 * wait}) { // from now, 0.1 s after its send; then from its resend
        net.advance(due - 0.001);
        server->update();
        EXPECT_EQ(stats->resends, resends);
        net.advance(0.002);
        server->update();
        EXPECT_EQ(stats->resends, ++resends);
    }
    // Its acknowledgement may answer any of its sends: it measures no round trip.
    const double backedOff = toClient->resendTimeout();
    client->update();
    client->sendToAll(reply);
    server->update();
    EXPECT_EQ(toClient->resendTimeout(), backedOff);
    EXPECT_EQ(client->received, std::vector<std::string>{pattern(4000)});
    delete reply;
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
        Packet* forged = readable(dataDatagram(server->getHostUID(), secret(), seq, false, 0, {""}), elsewhere);
        client->servicePacket(forged);
        delete forged;
    }
    EXPECT_EQ(toServer->getSequenceIn(), 0);
    EXPECT_EQ(toServer->getInQueue().getNumChildren(), 0u);
}

TEST(DataPathSockets, WholePacketsCrossRealSocketsWhileAPeerSendsOversizedPieces) {
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
        writeDatagram(d, hostile.getHostUID(), firstPeer(hostile)->getSecret(), seq, seq != ahead + 2, 0, piece);
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

// Both sides send at every service (50 ms) over a clean link as slow each way:
// from the join on, before any round trip was measured, nothing goes twice.
TEST(DataPathSockets, ACleanLinkSendsNothingTwiceWhateverItsDelay) {
    for (double delay : {0.005, 0.075, 0.15, 0.25}) {
        NetTestEngine net(false);
        RecordingHost server(true), client(false);
        server.getConnection()->setSimulation(0.0, delay, 0.0);
        client.getConnection()->setSimulation(0.0, delay, 0.0);
        client.sendConnectRequest(server.getConnection()->getAddress());
        for (int service = 0; service < 200; ++service) {
            say(server, "tick");
            say(client, "tick");
            net.advance(0.05);
            RecordingHost::exchange(server, client);
        }
        NetStats sent(0.0);
        server.getConnection()->addTraffic(&sent);
        client.getConnection()->addTraffic(&sent);
        EXPECT_GE(client.received.size(), 150u) << delay;
        EXPECT_EQ(sent.resends, 0) << delay;
    }
}

TEST(DataPathSockets, AFloodingPeerThatNeverAcknowledgesIsHeldToItsAllowanceAndDroppedALossyHonestOneIsNot) {
    NetTestEngine net(false);
    RecordingHost server(true), honest(false), mute(false);
    for (RecordingHost* c : {&honest, &mute})
        joinOverSockets(server, *c);
    ASSERT_EQ(server.getPeerCount(), 2);
    // 30% of what either side receives is lost; what the honest client keeps comes 40 ms late.
    server.getConnection()->setSimulation(0.3, 0.0, 0.0);
    honest.getConnection()->setSimulation(0.3, 0.04, 0.0);
    const int ticks = 240, flood = 150; // 12 s at the replication tick, 3,000 datagrams a second
    int droppedAt = -1, sequence = firstPeer(mute)->getSequenceOut(), mostForOne = 0, reachedMute = 0;
    auto drainMute = [&](int n = 0) { // read off the wire, never acknowledged
        while (mute.getConnection()->receiveRaw())
            ++n;
        return n;
    };
    Packet d;
    for (int tick = 0; tick < ticks; ++tick) {
        say(server, pattern(1500)); // three pieces
        say(honest, "tick");
        net.advance(0.05);
        for (int frame = 0; frame < 10; ++frame) { // a simulated loss ends an update's receiving
            server.update();
            honest.update();
        }
        reachedMute += drainMute();
        for (int i = 0; i < flood && droppedAt < 0; ++i) {
            std::vector<int> requests;
            for (int k = 0; k < 32; ++k)
                requests.push_back(1 + (i * 32 + k) % (3 * tick + 3));
            d.reset();
            // One new piece a tick keeps it alive; the rest are copies of it.
            writeDatagram(d, mute.getHostUID(), firstPeer(mute)->getSecret(), i == 0 ? ++sequence : sequence, false, 0, {""}, requests);
            mute.getConnection()->sendRaw(&d, server.getConnection()->getAddress());
            server.update();
            int reached = drainMute();
            mostForOne = std::max(mostForOne, reached);
            reachedMute += reached;
        }
        if (droppedAt < 0 && !server.findPeerById(mute.getHostUID(), nullptr))
            droppedAt = tick;
    }
    printf("%d datagrams reached the flooding peer, %d at most for one of its own\n", reachedMute, mostForOne);
    EXPECT_LE(mostForOne, NetHost::MAX_REQUESTS_WRITTEN + 1); // and perhaps its oldest piece, overdue
    // Its own pieces, what they earned and what the seconds earned.
    const int pieces = 3 * (droppedAt + 1), seconds = 6;
    EXPECT_LE(reachedMute, pieces * (1 + Node::RESENDS_PER_PIECE) + (Node::RESENDS_PER_SECOND + 10) * seconds);
    EXPECT_GE(droppedAt, 0);
    EXPECT_LE(droppedAt * 0.05, server.getTimeout() + 0.1);
    EXPECT_EQ(server.getPeerCount(), 1);
    EXPECT_EQ(honest.getPeerCount(), 1);
    EXPECT_GE(honest.received.size(), size_t(ticks * 9 / 10));
}

} // namespace
