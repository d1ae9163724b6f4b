// Hosts on real sockets of 127.0.0.1 against an off-path forger who knows
// both exact addresses but has read nothing: forged notices, data, accepts,
// refusals and confirmations change nothing, a flood of connect requests
// keeps nobody out, late copies of a join admit nobody, lost confirmations
// cost a join nothing, a restarted server's clients are told, and the sources
// of secrets hold.
#include "NetTestEngine.h"
#include "core/Plim.h"
#include "language/Language.h"
#include "serial/Packet.h"
#include "DatagramForge.h"
#include "RecordingHost.h"
#include "net/NetAdmission.h"
#include "net/NetConnection.h"
#include "net/NetTime.h"
#include "net/Node.h"
#include "net/SystemRandom.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

typedef DatagramForge::Bytes Bytes;
typedef std::vector<std::string> Lines;

Node* firstPeer(NetHost& host) { return static_cast<Node*>(host.getPeers().firstChild); }
NetAddress addressOf(NetHost& host) { return host.getConnection()->getAddress(); }

template <class T> void put(Bytes& b, T value) {
    b.insert(b.end(), reinterpret_cast<uint8_t*>(&value), reinterpret_cast<uint8_t*>(&value) + sizeof value);
}

Bytes text(const std::string& s) {
    Packet p;
    UString u(s.c_str());
    p.doUString(&u, -1);
    return Bytes(p.buffer, p.cursor);
}

Bytes ticketBytes(NetTicket t) {
    Packet p;
    t.serialize(&p);
    return Bytes(p.buffer, p.cursor);
}

double seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

long residentKB() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Steps both until the client is connected and the server lists it, at most
// about three seconds; during is called every step. Returns the seconds taken, or -1.
template <class F> double join(RecordingHost& server, RecordingHost& client, F during, NetAddress to = NetAddress()) {
    if (to.getPort() == 0)
        to = addressOf(server);
    double start = seconds();
    for (int i = 0; i < 3000; ++i) {
        if (client.getPeerCount() == 0 && i % 50 == 0) // as an owner repeats its request
            client.sendConnectRequest(to);
        during(i);
        server.update();
        client.update();
        if (client.getPeerCount() == 1 && server.getPeerCount() == 1)
            return seconds() - start;
        usleep(1000);
    }
    return -1.0;
}
double join(RecordingHost& server, RecordingHost& client) {
    return join(server, client, [](int) {});
}

void say(NetHost& from, std::string word) {
    Packet p;
    p.doBytes(&word[0], int(word.size()));
    from.sendToAll(&p);
}

// Whether a packet from the server still reaches the client.
bool carries(RecordingHost& server, RecordingHost& client) {
    std::string word = "still here";
    say(server, word);
    for (int i = 0; i < 500 && (client.received.empty() || client.received.back() != word); ++i) {
        RecordingHost::exchange(server, client);
        usleep(1000);
    }
    return !client.received.empty() && client.received.back() == word;
}

Bytes bytesOf(const Packet* d) { return Bytes(d->buffer, d->buffer + d->size); }

bool isConnectionPacket(const Packet* d, uint32_t type) {
    uint32_t head[2] = {0, 0};
    if (d->size >= 8)
        memcpy(head, d->buffer, 8);
    return head[0] == NetHost::CONNECTION_MARKER && head[1] == type;
}

// Steps a host by hand: each datagram at its socket goes to pass first, and
// only those it passes reach the host.
template <class F> void serve(NetHost& host, F pass) {
    while (Packet* d = host.getConnection()->receiveRaw())
        if (pass(d))
            host.servicePacket(d);
    host.update();
}

// A confirmation as a forger who has read nothing makes it: any identifier,
// secret and nonce, in the current slot or the few before it.
Bytes guessedConfirmation() {
    NetTicket guess;
    guess.id = SystemRandom::next32();
    guess.secret = SystemRandom::next64();
    guess.nonce = SystemRandom::next64();
    guess.slot = uint32_t(netTime() / NetAdmission::SLOT_SECONDS) - SystemRandom::next32() % 3;
    Bytes body = ticketBytes(guess), name = text("forger");
    body.insert(body.end(), name.begin(), name.end());
    return DatagramForge::connection(NetHost::TYPE_CONFIRM, body, true);
}

class NetForgery : public ::testing::Test {
protected:
    // While a client's accept waits at its socket, a thousand guessed
    // confirmations from a socket of the forger's own, or under the client's
    // address; then the client joins.
    void guessWhileAClientWaits(bool spoofed) {
        const NetAddress serverAt = addressOf(*server), clientAt = addressOf(*client);
        client->sendConnectRequest(serverAt);
        server->update();
        NetConnection forger(NetAddress(UString("127.0.0.1"), 0));
        for (int i = 0; i < 1000; ++i) {
            Bytes guessed = guessedConfirmation();
            if (spoofed) {
                DatagramForge::spoof(*server, guessed, clientAt);
                continue;
            }
            Packet p(Packet::FLAG_FILTER1, int(guessed.size()));
            p.doBytes(guessed.data(), int(guessed.size()));
            forger.sendRaw(&p, serverAt);
        }
        server->update();
        EXPECT_EQ(server->getPeerCount(), 0);
        ASSERT_GE(join(*server, *client), 0.0);
        EXPECT_EQ(server->events, Lines{"connected peer"});
    }

    NetTestEngine net{false};
    std::unique_ptr<RecordingHost> server{new RecordingHost(true)};
    std::unique_ptr<RecordingHost> client{new RecordingHost(false)};
};

TEST_F(NetForgery, NoticesAndDataForgedFromTheExactAddressesLeaveTheMatchHolding) {
    ASSERT_FALSE(server->getConnection()->isEmulated());
    ASSERT_GE(join(*server, *client), 0.0);
    const NetAddress serverAt = addressOf(*server), clientAt = addressOf(*client);
    uint64_t guess = SystemRandom::next64();
    for (bool checksum : {false, true}) {
        Bytes serverId, clientId, guessed;
        put(serverId, uint32_t(0));
        put(clientId, client->getHostUID());
        guessed = serverId;
        put(guessed, guess);
        DatagramForge::spoof(*client, DatagramForge::connection(NetHost::TYPE_DISCONNECT, serverId, checksum), serverAt);
        DatagramForge::spoof(*client, DatagramForge::connection(NetHost::TYPE_DISCONNECT, guessed, checksum), serverAt);
        DatagramForge::spoof(*server, DatagramForge::connection(NetHost::TYPE_DISCONNECT, clientId, checksum), clientAt);
        Bytes refusal = text("Server is full."), withToken = refusal;
        put(withToken, guess);
        DatagramForge::spoof(*client, DatagramForge::connection(NetHost::TYPE_REJECT, refusal, checksum), serverAt);
        DatagramForge::spoof(*client, DatagramForge::connection(NetHost::TYPE_REJECT, withToken, checksum), serverAt);
        DatagramForge::spoof(*client, DatagramForge::connection(NetHost::TYPE_RETRY, guessed, checksum), serverAt);
    }
    // Blind data: one datagram per 4,096 sequence numbers, and a run of
    // consecutive ones from the first, each with a sound checksum.
    for (int seq = 1; seq < 49 * NetHost::MAX_SEQUENCE_AHEAD; seq += NetHost::MAX_SEQUENCE_AHEAD)
        DatagramForge::spoof(*client, DatagramForge::data(0, guess, seq, false, 0, {"forged"}), serverAt);
    for (int seq = 1; seq <= 1500; ++seq)
        DatagramForge::spoof(*client, DatagramForge::data(0, guess, seq, false, 0, {"end of match"}), serverAt);
    ASSERT_NE(firstPeer(*client), nullptr);
    EXPECT_EQ(firstPeer(*client)->getSequenceIn(), 0);
    EXPECT_EQ(firstPeer(*client)->getInQueue().getNumChildren(), 0u);
    EXPECT_EQ(client->events, Lines{"connected ServerPlayer"});
    EXPECT_EQ(server->events, Lines{"connected peer"});
    EXPECT_TRUE(carries(*server, *client));
    EXPECT_EQ(client->received, Lines{"still here"});
}

TEST_F(NetForgery, AcceptsAndRefusalsForgedDuringAJoinDoNotLockItOut) {
    const NetAddress serverAt = addressOf(*server), clientAt = addressOf(*client);
    client->sendConnectRequest(serverAt);
    Bytes accept = text("Corvana2demo");
    put(accept, 2.6f);
    put(accept, uint32_t(0));
    NetTicket guess; // the nonce guessed with the rest
    guess.id = 0x12345678;
    guess.secret = SystemRandom::next64();
    guess.nonce = SystemRandom::next64();
    Bytes ticket = ticketBytes(guess);
    accept.insert(accept.end(), ticket.begin(), ticket.end());
    Bytes refusal = text("Server is full.");
    put(refusal, SystemRandom::next64());
    DatagramForge::spoof(*client, DatagramForge::connection(NetHost::TYPE_ACCEPT, accept, true), serverAt);
    DatagramForge::spoof(*client, DatagramForge::connection(NetHost::TYPE_REJECT, refusal, true), serverAt);
    DatagramForge::spoof(*server, DatagramForge::connection(NetHost::TYPE_REJECT, refusal, true), clientAt);
    EXPECT_EQ(client->getPeerCount(), 0);
    ASSERT_GE(join(*server, *client), 0.0);
    ASSERT_NE(firstPeer(*server), nullptr);
    EXPECT_EQ(client->getHostUID(), firstPeer(*server)->getUID());
    EXPECT_EQ(client->events, Lines{"connected ServerPlayer"});
    EXPECT_TRUE(server->events == Lines{"connected peer"});
    EXPECT_TRUE(carries(*server, *client));
}

TEST_F(NetForgery, HonestClientJoinsUnderAConnectFloodAndAfterARestart) {
    // Valid requests from fresh ports of 127.0.0.2-17, as fast as asked.
    std::vector<std::unique_ptr<NetConnection>> forgers;
    for (uint32_t ip = 0x7F000002; ip < 0x7F000012; ++ip) {
        NetAddress at;
        at.set(ip, 0);
        forgers.emplace_back(new NetConnection(at));
    }
    NetConnection recorder(NetAddress(UString("127.0.0.1"), 0));
    RecordingHost asker(false);
    asker.sendConnectRequest(recorder.getAddress());
    Packet* recorded = recorder.receiveRaw();
    ASSERT_NE(recorded, nullptr);
    Packet request(Packet::FLAG_FILTER1, recorded->size);
    request.doBytes(recorded->buffer, recorded->size);
    for (int rate : {2000, 10000}) {
        std::unique_ptr<RecordingHost> honest(new RecordingHost(false));
        long before = residentKB();
        double start = seconds();
        long sent = 0;
        auto flood = [&](int) {
            for (long due = long((seconds() - start) * rate); sent < due; ++sent)
                forgers[size_t(sent) % forgers.size()]->sendRaw(&request, addressOf(*server));
        };
        while (seconds() - start < 1.0) { // the flood runs first, then the join amid it
            flood(0);
            server->update();
            usleep(1000);
        }
        double took = join(*server, *honest, flood);
        printf("join under %d connect requests a second: %.3f s; server memory grown by %ld kB after %ld requests\n",
               rate, took, residentKB() - before, sent);
        ASSERT_GE(took, 0.0) << rate;
        server->removePeer(firstPeer(*server), true);
        for (auto& f : forgers) // drains the accepts
            while (f->receiveRaw()) {
            }
    }

    // The server restarts on its port; the client, still sending, is told
    // that its connection has gone, and its owner asks again.
    ASSERT_GE(join(*server, *client), 0.0);
    ASSERT_TRUE(carries(*server, *client));
    uint16_t port = addressOf(*server).getPort();
    server.reset(new RecordingHost(true));
    server->setConnection(new NetConnection(NetAddress(UString("127.0.0.1"), port)), true);
    while (client->getConnection()->receiveRaw()) { // a crash sends no notice
    }
    Packet tick;
    double start = seconds();
    for (int i = 0; i < 3000 && client->getPeerCount() == 1; ++i) {
        client->sendToAll(&tick);
        server->update();
        client->update();
        usleep(1000);
    }
    EXPECT_EQ(client->events, (Lines{"connected ServerPlayer", "rejected The server restarted or dropped this connection.",
                                     "disconnected ServerPlayer"}));
    EXPECT_GE(join(*server, *client), 0.0);
    printf("told of a server restart and joined again: %.3f s\n", seconds() - start);
    EXPECT_EQ(client->events.back(), "connected ServerPlayer");
}

TEST_F(NetForgery, AServerBoundToAllAddressesAnswersFromTheOneDialled) {
    server->setConnection(new NetConnection(NetAddress(UString("0.0.0.0"), 0)), true);
    RecordingHost dialler(false);
    NetAddress other(UString("127.0.0.2"), addressOf(*server).getPort());
    EXPECT_GE(join(*server, dialler, [](int) {}, other), 0.0);
    EXPECT_TRUE(carries(*server, dialler));
}

TEST_F(NetForgery, ARefusalIsCutOnACharacterBoundary) {
    PLIM->language = new Language();
    PLIM->language->currentLanguage = 0;
    std::string full;
    for (int i = 0; i < 100; ++i)
        full += "\xC3\xA9"; // é
    PLIM->language->strings[0][Language::STR_ERRORSERVERISFULL] = full.c_str();
    server->setMaxPeers(0);
    RecordingHost asker(false, "Corvana2demo", NetHost::WIRE_VERSION, "");
    for (int i = 0; i < 500 && asker.events.empty(); ++i) {
        if (i % 50 == 0)
            asker.sendConnectRequest(addressOf(*server));
        RecordingHost::exchange(*server, asker);
        usleep(1000);
    }
    ASSERT_EQ(asker.events.size(), 1u);
    std::string told = asker.events[0].substr(strlen("rejected "));
    EXPECT_GT(told.size(), 0u);
    EXPECT_LT(told.size(), full.size());
    EXPECT_EQ(told.size() % 2, 0u) << told;
    EXPECT_EQ(full.compare(0, told.size(), told), 0);
}

TEST_F(NetForgery, ConfirmationsWithGuessedTicketsAdmitNobody) { guessWhileAClientWaits(false); }

TEST_F(NetForgery, ConfirmationsWithGuessedTicketsUnderAWaitingClientsAddressAdmitNobody) {
    if (!DatagramForge::canSendRaw())
        GTEST_SKIP() << "putting another's address on a datagram takes a raw socket (CAP_NET_RAW)";
    guessWhileAClientWaits(true);
}

TEST_F(NetForgery, ALateCopyOfAConfirmationAdmitsNobodyOnceTheClientLeftOrWasDropped) {
    const NetAddress serverAt = addressOf(*server), clientAt = addressOf(*client);
    for (bool leaves : {true, false}) {
        std::vector<Bytes> confirmations;
        client->sendConnectRequest(serverAt);
        for (int i = 0; i < 20 && server->getPeerCount() == 0; ++i) {
            serve(*server, [&](Packet* d) {
                if (isConnectionPacket(d, NetHost::TYPE_CONFIRM))
                    confirmations.push_back(bytesOf(d));
                return true;
            });
            client->update();
        }
        ASSERT_EQ(server->getPeerCount(), 1);
        ASSERT_FALSE(confirmations.empty());
        if (leaves) {
            client->disconnectAll();
        } else {
            net.advance(server->getTimeout() + 0.1);
            client->update();
        }
        server->update();
        ASSERT_EQ(server->getPeerCount(), 0) << leaves;
        for (const Bytes& copy : confirmations)
            DatagramForge::spoof(*server, copy, clientAt);
        EXPECT_EQ(server->getPeerCount(), 0) << leaves;
    }
    EXPECT_EQ(server->events, (Lines{"connected peer", "disconnected peer", "connected peer", "disconnected peer"}));
}

TEST_F(NetForgery, ARejoinFromTheSameAddressGetsANewSecretAndTheOldConnectionsLateDataIsDropped) {
    const NetAddress clientAt = addressOf(*client);
    ASSERT_GE(join(*server, *client), 0.0);
    ASSERT_NE(firstPeer(*client), nullptr);
    const uint64_t oldSecret = firstPeer(*client)->getSecret();
    const uint32_t oldId = client->getHostUID();
    say(*client, "old 1");
    say(*client, "old 2");
    RecordingHost::exchange(*server, *client);
    // The third reaches the server only once the client has left and joined again.
    say(*client, "late");
    Packet* late = server->getConnection()->receiveRaw();
    ASSERT_NE(late, nullptr);
    Bytes lateBytes = bytesOf(late);
    client->disconnectAll();
    server->update();
    ASSERT_EQ(server->getPeerCount(), 0);
    ASSERT_GE(join(*server, *client), 0.0);
    ASSERT_NE(firstPeer(*client), nullptr);
    EXPECT_NE(firstPeer(*client)->getSecret(), oldSecret);
    EXPECT_NE(client->getHostUID(), oldId);

    DatagramForge::spoof(*server, lateBytes, clientAt);
    for (const char* word : {"new 1", "new 2", "new 3"})
        say(*client, word);
    for (int i = 0; i < 20 && server->received.size() < 5; ++i)
        RecordingHost::exchange(*server, *client);
    EXPECT_EQ(server->received, (Lines{"old 1", "old 2", "new 1", "new 2", "new 3"}));
    EXPECT_EQ(client->events, (Lines{"connected ServerPlayer", "disconnected ServerPlayer", "connected ServerPlayer"}));
}

TEST_F(NetForgery, ConfirmationsLostForLongerThanASlotCostTheJoinNothing) {
    const NetAddress serverAt = addressOf(*server);
    const double start = netTime(), lostFor = 4.5;
    int lost = 0, sent = 0;
    std::vector<Bytes> retries;
    client->sendConnectRequest(serverAt);
    for (int step = 0; step < 200 && server->getPeerCount() == 0; ++step) {
        net.advance(0.05);
        serve(*server, [&](Packet* d) {
            bool dropped = isConnectionPacket(d, NetHost::TYPE_CONFIRM) && netTime() < start + lostFor;
            lost += dropped;
            return !dropped;
        });
        serve(*client, [&](Packet* d) {
            if (isConnectionPacket(d, NetHost::TYPE_RETRY))
                retries.push_back(bytesOf(d));
            return true;
        });
        if (client->getPeerCount() == 1) // data every tick, as the replication role sends
            say(*client, "tick " + std::to_string(sent++));
    }
    printf("%d confirmations lost over %.2f s, %zu Retries meanwhile; admitted after %.2f s\n", lost, lostFor,
           retries.size(), netTime() - start);
    EXPECT_GE(lost, 10);
    ASSERT_EQ(server->getPeerCount(), 1);
    EXPECT_FALSE(retries.empty());
    // Once the server has shown that it holds the client, the Retries of what
    // it sent before are late news, and so are they with their sequence
    // number damaged on the way.
    ASSERT_TRUE(carries(*server, *client));
    for (Bytes& retry : retries) {
        DatagramForge::inject(*client, retry, serverAt);
        retry[10] ^= 1; // in the sequence number (bytes 8 to 11)
        DatagramForge::inject(*client, retry, serverAt);
    }
    // What the client sent before it was admitted, waiting for an
    // acknowledgement that could not come sooner, passes the time-out while
    // the server says nothing for a second (its datagrams lost, say).
    net.advance(1.0);
    client->update();
    for (int i = 0; i < 100 && server->received.size() < size_t(sent); ++i) {
        net.advance(0.05);
        say(*client, "tick " + std::to_string(sent++));
        say(*server, "tick");
        RecordingHost::exchange(*server, *client);
    }
    EXPECT_EQ(server->received.size(), size_t(sent));
    EXPECT_EQ(client->events, Lines{"connected ServerPlayer"});
    EXPECT_EQ(server->events, Lines{"connected peer"});
}

TEST(SystemRandomSources, FallBackToUrandomThenTheClockWithOneLogLine) {
    NetTestEngine net;
    for (int sources : {int(SystemRandom::SOURCE_URANDOM), 0}) {
        SystemRandom::setSourcesForTest(sources);
        uint64_t a = SystemRandom::next64(), b = SystemRandom::next64();
        EXPECT_NE(a, b);
    }
    SystemRandom::setSourcesForTest(SystemRandom::ALL_SOURCES);
    LogText log = net.log();
    const std::string failed = "SystemRandom(): WARNING: getrandom() failed (Function not implemented); ";
    EXPECT_EQ(log.count(failed + "random numbers come from /dev/urandom."), 1);
    EXPECT_EQ(log.count(failed + "random numbers come from the clock."), 1);
}

} // namespace
