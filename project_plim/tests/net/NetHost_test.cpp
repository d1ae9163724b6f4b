// The host's handshake: connect, accept, reject, disconnect, names, time-out
// and malformed connection packets, between hosts on emulated connections.
#include "NetTestEngine.h"
#include "serial/Packet.h"
#include "RecordingHost.h"
#include "net/NetConnection.h"
#include "net/Node.h"
#include "util/Random.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

typedef std::vector<std::string> Lines;

// A connection packet as another program would send it, ready to be read.
Packet* connectionPacket(uint32_t type, const NetAddress& from) {
    Packet* p = new Packet(Packet::FLAG_FILTER1, -1);
    uint32_t marker = NetHost::CONNECTION_MARKER;
    p->doBytes(&marker, 4);
    p->doBytes(&type, 4);
    p->address = from;
    return p;
}

void deliver(NetHost& host, Packet* p) {
    p->rewindToRead();
    host.servicePacket(p);
    delete p;
}

Node* firstPeer(NetHost& host) { return static_cast<Node*>(host.getPeers().firstChild); }

// Sends the host's connect request to a plain endpoint and returns the nonce it carries.
uint64_t requestNonce(NetHost& client, NetConnection& to) {
    client.sendConnectRequest(to.getAddress());
    Packet* request = to.receiveRaw();
    uint64_t nonce = 0;
    if (request && request->size >= 16)
        memcpy(&nonce, request->buffer + request->size - 12, 8); // before the checksum
    return nonce;
}

class NetHostTest : public ::testing::Test {
protected:
    // Asks, and once accepted shows the server that it receives (any data does).
    void connect(RecordingHost& client) {
        client.sendConnectRequest(server->getConnection()->getAddress());
        RecordingHost::exchange(*server, client);
        Packet hello;
        if (client.getPeerCount() == 1)
            client.sendToAll(&hello);
        RecordingHost::exchange(*server, client);
    }

    NetTestEngine net;
    std::unique_ptr<RecordingHost> server{new RecordingHost(true)};
    std::unique_ptr<RecordingHost> client{new RecordingHost(false)};
};

TEST_F(NetHostTest, ConnectAcceptAndIdentifiers) {
    connect(*client);
    ASSERT_EQ(server->getPeerCount(), 1);
    ASSERT_EQ(client->getPeerCount(), 1);
    Node* onServer = firstPeer(*server);
    Node* onClient = firstPeer(*client);
    EXPECT_EQ(server->events, Lines{"connected peer"});
    EXPECT_EQ(client->events, Lines{"connected ServerPlayer"});
    EXPECT_EQ(onClient->getUID(), server->getHostUID());
    EXPECT_EQ(client->getHostUID(), onServer->getUID());
    EXPECT_EQ(onServer->getAddress().toString(), "127.0.0.1:2");
    Random::seed(1); // identifiers come from the system, not from the program's seeded sequence
    uint32_t first = Node::randomUID();
    Random::seed(1);
    EXPECT_NE(Node::randomUID(), first);

    // A second request from a peer's address changes nothing.
    connect(*client);
    EXPECT_EQ(client->events.size(), 1u);
    LogText log = net.log();
    EXPECT_GE(log.find("S       serviceInPacketSpecial |   New Connect attempt from 127.0.0.1:2"), 0);
    EXPECT_GE(log.find("S       serviceInPacketSpecial |   Accepting connection..."), 0);
    EXPECT_GE(log.find("     C  serviceInPacketSpecial |   Connection acccepted by 127.0.0.1:1"), 0);
    EXPECT_GE(log.find("S       serviceInPacketSpecial |   127.0.0.1:2 already exists"), 0);

    // Leaving tells the client (a host being deleted does the same, but its
    // emulated connection takes its last datagrams along).
    server->disconnectAll();
    client->update();
    EXPECT_EQ(client->getPeerCount(), 0);
    EXPECT_EQ(client->events.back(), "disconnected ServerPlayer");
}

TEST_F(NetHostTest, RepeatedConnectGetsTheSameAcceptUntilThePeerSpeaks) {
    auto acceptBytes = [&] {
        client->sendConnectRequest(server->getConnection()->getAddress());
        server->update();
        Packet* p = client->getConnection()->receiveRaw();
        return p ? std::string(p->buffer, p->buffer + p->size) : std::string();
    };
    std::string lost = acceptBytes();
    ASSERT_FALSE(lost.empty());
    std::string again = acceptBytes();
    EXPECT_EQ(again, lost);
    EXPECT_EQ(server->getPeerCount(), 0); // no slot until it shows that it receives
    // A copy damaged in the secret fails the trailing checksum.
    Packet* damaged = new Packet(Packet::FLAG_FILTER1, -1);
    std::string bad = lost;
    bad[bad.size() - 6] ^= 1;
    damaged->doBytes(&bad[0], static_cast<int>(bad.size()));
    damaged->address = server->getConnection()->getAddress();
    deliver(*client, damaged);
    EXPECT_EQ(client->getPeerCount(), 0);
    client->servicePacket(client->getConnection()->getReceivePacket());
    ASSERT_EQ(client->getPeerCount(), 1);
    EXPECT_TRUE(server->events.empty());

    Packet* hello = new Packet(Packet::FLAG_FILTER1, -1);
    client->sendToAll(hello);
    delete hello;
    server->update();
    EXPECT_EQ(server->events, Lines{"connected peer"});
    EXPECT_EQ(client->getHostUID(), firstPeer(*server)->getUID());
    EXPECT_EQ(firstPeer(*client)->getSecret(), firstPeer(*server)->getSecret());
    ASSERT_EQ(firstPeer(*server)->getSequenceIn(), 1);
    EXPECT_EQ(acceptBytes(), ""); // it has spoken: no answer
    EXPECT_EQ(server->getPeerCount(), 1);
}

TEST_F(NetHostTest, RejectionsTellTheReason) {
    server->setHostMode(NetHost::HOST_MODE_SINGLE_PEER);
    server->setMaxPeers(1);
    connect(*client);
    EXPECT_EQ(client->events, Lines{"rejected Server is full."});
    EXPECT_EQ(server->getPeers().getNumChildren(), 0u);

    server->setHostMode(0);
    RecordingHost other(false, "Tetris");
    connect(other);
    EXPECT_EQ(other.events, Lines{"rejected Incompatible game."});
    RecordingHost old(false, "Corvana2 beta", 2.6);
    connect(old);
    EXPECT_EQ(old.events, Lines{"rejected You need at least version 3.00 of the game (you have 2.60)."});
    // Both accepted for the last slot: the second to show that it receives is refused.
    RecordingHost zero(false, "Corvana2demo", NetHost::WIRE_VERSION), late(false);
    for (RecordingHost* c : {&late, &zero}) {
        c->sendConnectRequest(server->getConnection()->getAddress());
        server->update();
    }
    zero.update(); // takes its accept and confirms first
    late.update();
    RecordingHost::exchange(*server, zero);
    RecordingHost::exchange(*server, late);
    EXPECT_EQ(zero.events, Lines{"connected ServerPlayer"});
    EXPECT_EQ(late.events, (Lines{"connected ServerPlayer", "rejected Server is full.", "disconnected ServerPlayer"}));
    EXPECT_EQ(server->getPeerCount(), 1);

    // A client rejects an incompatible server and tells only the server.
    RecordingHost foreign(true, "Tetris");
    RecordingHost lonely(false);
    connect(lonely); // to the real server, which is full now
    lonely.events.clear();
    lonely.sendConnectRequest(foreign.getConnection()->getAddress());
    RecordingHost::exchange(foreign, lonely);
    EXPECT_TRUE(lonely.events.empty());
    EXPECT_EQ(foreign.events, Lines{"rejected Incompatible game."});
    EXPECT_EQ(foreign.getPeerCount(), 0);
}

TEST_F(NetHostTest, NamesGetNumbersUpToFifteen) {
    Packet from;
    for (int i = 0; i < 17; ++i) {
        from.address.set(0x0A000001 + i, 5000);
        server->addPeer(&from, "Bob");
    }
    server->addPeer(&from, "");
    server->addPeer(&from, "");
    Lines names;
    for (BasicLink* l = server->getPeers().firstChild; l; l = l->next)
        names.push_back(static_cast<Node*>(l)->getName().c_str());
    Lines expected{"Bob"};
    for (int i = 1; i <= 15; ++i)
        expected.push_back("Bob-" + std::to_string(i));
    expected.push_back("Bob-15");
    expected.push_back("Anonymous");
    expected.push_back("Anonymous-1");
    EXPECT_EQ(names, expected);
}

TEST_F(NetHostTest, DisconnectAndRejectCountOnlyFromTheExactAddressWithTheSecret) {
    connect(*client);
    uint64_t secret = firstPeer(*server)->getSecret();
    auto disconnect = [](NetHost& to, uint32_t id, const NetAddress& from, const uint64_t* secret) {
        Packet* p = connectionPacket(NetHost::TYPE_DISCONNECT, from);
        p->doBytes(&id, 4);
        if (secret)
            p->doBytes(const_cast<uint64_t*>(secret), 8);
        deliver(to, p);
    };
    auto reject = [](NetHost& to, const NetAddress& from, const uint64_t* token) {
        Packet* p = connectionPacket(NetHost::TYPE_REJECT, from);
        UString why = "Server is full.";
        p->doUString(&why, -1);
        if (token)
            p->doBytes(const_cast<uint64_t*>(token), 8);
        deliver(to, p);
    };
    uint32_t id = client->getHostUID();
    NetAddress otherPort(UString("127.0.0.1"), 999), serverAt = server->getConnection()->getAddress();
    uint64_t guess = secret ^ 1;
    disconnect(*server, id, NetAddress(UString("10.1.2.3"), 2), &secret);
    disconnect(*server, id, otherPort, &secret);
    disconnect(*server, id, client->getConnection()->getAddress(), nullptr); // the notice as it was
    disconnect(*server, id, client->getConnection()->getAddress(), &guess);
    // From the server's exact address, all that can be known without the secret.
    disconnect(*client, server->getHostUID(), serverAt, nullptr);
    disconnect(*client, server->getHostUID(), serverAt, &guess);
    disconnect(*client, server->getHostUID(), otherPort, &secret);
    reject(*client, serverAt, nullptr);
    reject(*client, serverAt, &guess);
    reject(*client, otherPort, &secret);
    EXPECT_EQ(server->getPeerCount(), 1);
    EXPECT_EQ(client->getPeerCount(), 1);
    EXPECT_EQ(client->events, Lines{"connected ServerPlayer"});
    EXPECT_EQ(server->events, Lines{"connected peer"});
    EXPECT_LT(net.log().find("serviceInPacketSpecial(): SERVER: New DISCONNECT notify from 127.0.0.1:999"), 0);

    disconnect(*server, id, client->getConnection()->getAddress(), &secret);
    EXPECT_EQ(server->getPeerCount(), 0);
    EXPECT_EQ(server->events.back(), "disconnected peer");
    disconnect(*client, server->getHostUID(), serverAt, &secret);
    EXPECT_EQ(client->getPeerCount(), 0);
}

TEST_F(NetHostTest, SilentPeerIsDroppedAfterTheTimeout) {
    connect(*client);
    Packet* hello = new Packet(Packet::FLAG_FILTER1, -1);
    client->sendToAll(hello); // then silence
    delete hello;
    server->update();
    net.advance(5.0);
    server->update();
    EXPECT_EQ(server->getPeerCount(), 1);
    net.advance(0.001);
    server->update();
    EXPECT_EQ(server->getPeerCount(), 0);
    EXPECT_EQ(server->events.back(), "disconnected peer");
    EXPECT_EQ(client->getConnection()->receiveRaw(), nullptr); // no notice was sent
    EXPECT_GE(net.log().find("NetHost(): SERVER: dropped client peer (127.0.0.1:2): nothing new from it for 5.0 s."), 0);

    // The same address may then connect again.
    client->removePeer(firstPeer(*client), false);
    connect(*client);
    EXPECT_EQ(server->getPeerCount(), 1);
}

TEST_F(NetHostTest, NamesFromOutsideAreLoggedEscaped) {
    RecordingHost odd(false, "Corvana2demo", NetHost::WIRE_VERSION, "\x1b[2JBob\xff");
    connect(odd);
    net.advance(server->getTimeout() + 0.1);
    server->update(); // drops it
    EXPECT_GE(net.log().findPrefix("NetHost(): SERVER: dropped client \\x1b[2JBob\\xff (127.0.0.1:"), 0);
}

TEST_F(NetHostTest, MalformedConnectionPacketsAreDropped) {
    NetAddress from = client->getConnection()->getAddress();
    auto connectWith = [&](UString game, UString name, bool withName) {
        Packet* p = connectionPacket(NetHost::TYPE_CONNECT, from);
        double version = 2.6;
        p->doUString(&game, -1);
        p->doDouble(&version);
        if (withName) {
            p->doUString(&name, -1);
            uint64_t nonce = 7;
            p->doBytes(&nonce, 8);
        }
        deliver(*server, p);
    };
    connectWith(UString(std::string(33, 'C').c_str()), "Bob", true);
    connectWith("Corvana2demo", "SeventeenLetters!", true);
    connectWith("Corvana2demo", "Bob", false);
    deliver(*server, connectionPacket(NetHost::TYPE_CONNECT, from));
    EXPECT_EQ(server->getPeerCount(), 0);
    server->setMaxPeers(0); // nothing reached the full check either
    client->update();
    EXPECT_EQ(server->getConnection()->getStats()->packetsOut, 0);

    NetConnection asked(NetAddress(UString("127.0.0.1"), 0));
    uint64_t nonce = requestNonce(*client, asked);
    from = asked.getAddress(); // a refusal counts from the address the client asked
    Packet* accept = connectionPacket(NetHost::TYPE_ACCEPT, from);
    UString game = "Corvana2demo";
    accept->doUString(&game, -1);
    double version = 2.6;
    accept->doDouble(&version);
    uint32_t serverId = 0;
    accept->doBytes(&serverId, 4); // the client's identifier is missing
    deliver(*client, accept);
    EXPECT_EQ(client->getPeerCount(), 0);

    // A reject message at the serializer's limit is dropped; an empty one is told.
    Packet* reject = connectionPacket(NetHost::TYPE_REJECT, from);
    int length = 1024;
    reject->doUInt(&length);
    reject->cursor += 1024;
    reject->doBytes(&nonce, 8);
    deliver(*client, reject);
    reject = connectionPacket(NetHost::TYPE_REJECT, from);
    UString empty;
    reject->doUString(&empty, -1);
    reject->doBytes(&nonce, 8);
    deliver(*client, reject);
    deliver(*client, connectionPacket(7, from));
    EXPECT_EQ(client->events, Lines{"rejected "});
}

TEST(NetHostSockets, DisconnectNoticesFromOutsideGrowTheLogByAFewLinesASecond) {
    NetTestEngine net(false);
    RecordingHost server(true), sender(false);
    net.log(); // flushes
    const size_t before = EngineTestFolder::readFile(net.folder.logPath()).size();
    Packet* notice = connectionPacket(NetHost::TYPE_DISCONNECT, NetAddress());
    uint32_t nobody = 12345;
    notice->doBytes(&nobody, 4);
    const int notices = 100000; // over ten seconds
    for (int sent = 1; sent <= notices; ++sent) {
        sender.getConnection()->sendRaw(notice, server.getConnection()->getAddress());
        if (sent % 100 == 0)
            server.update();
        if (sent % 1000 == 0)
            net.advance(0.1);
    }
    delete notice;
    EXPECT_GE(server.getConnection()->getEndedTotal().packetsIn, notices * 9 / 10);
    LogText log = net.log();
    size_t grown = EngineTestFolder::readFile(net.folder.logPath()).size() - before;
    printf("the log grew by %zu bytes under %d disconnect notices\n", grown, notices);
    EXPECT_LE(grown, 200u * 1024);
    int noticed = 0; // without the connection's secret a notice is dropped before any line
    for (const std::string& line : log.lines)
        noticed += line.find("New DISCONNECT notify") != std::string::npos;
    EXPECT_EQ(noticed, 0);
}

} // namespace
