// The data path's acknowledgements and resends: resend requests, ping, the
// timer's resends of the oldest piece, and the resend allowance.
#include "DataPathTest.h"
#include "net/NetConnection.h"
#include "net/NetTime.h"
#include "net/Node.h"
#include "serial/Packet.h"
#include "util/Random.h"

#include <cstdio>

namespace {

TEST_F(DataPathTest, ResendRequestsCycleThroughTheGaps) {
    Node* node = toServer;
    auto arrives = [&](int seq) { toClientDirect(dataDatagram(server->getHostUID(), secret(), seq, false, 0, {""})); };
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
    std::vector<Bytes> d = serverDatagrams(pattern(1024));
    toClientDirect(d[0]);
    toClientDirect(d[2]);
    say(*client, "r");
    EXPECT_EQ(parse(static_cast<Packet*>(toServer->getOutQueue().lastChild)).request, 2);
    server->update();
    NetStats* stats = server->getConnection()->getStats();
    EXPECT_EQ(stats->resendRequests, 1);
    EXPECT_EQ(stats->resends, 0); // asked within half a round trip of its sending
    EXPECT_EQ(toClient->getSequenceAcked(), 1);
    EXPECT_EQ(toClient->getOutQueue().getNumChildren(), 2u);

    net.advance(0.4); // a missing piece is asked for again after 1.5 round trips
    say(*client, "r");
    server->update();
    EXPECT_EQ(stats->resendRequests, 2);
    EXPECT_EQ(stats->resends, 1);
    client->update();
    EXPECT_EQ(client->received, (std::vector<std::string>{pattern(1024)}));
}

// Asked for, the oldest piece goes again as often as it would be asked for,
// whether or not more requests come through, long before the timer's second.
TEST_F(DataPathTest, TheOldestPieceAskedForGoesAgainAsOftenAsRequestsCome) {
    std::vector<Bytes> d = serverDatagrams(pattern(1024));
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
    std::vector<Bytes> d = serverDatagrams(pattern(4000));
    ASSERT_EQ(d.size(), 8u);
    while (client->getConnection()->receiveRaw()) {
    } // all lost on the way; some are handed over below
    toClientDirect(d[0]);
    say(*client, "r");
    server->update();
    EXPECT_EQ(toClient->getRoundTrip(), 0.0); // measured at once, while ping leaves 0.25 s slowly
    EXPECT_NEAR(toClient->getPing(), 0.225, 1e-12);

    for (size_t i : {2, 4, 6})
        toClientDirect(d[i]);
    net.advance(0.1);
    say(*client, "r");
    // The last piece is missing too, but nothing after it shows that yet.
    EXPECT_EQ(parse(static_cast<Packet*>(toServer->getOutQueue().lastChild)).requests, (std::vector<int>{2, 4, 6}));
    say(*client, "r");
    EXPECT_TRUE(parse(static_cast<Packet*>(toServer->getOutQueue().lastChild)).requests.empty()); // asked just now
    server->update();
    NetStats* stats = server->getConnection()->getStats();
    EXPECT_EQ(stats->resendRequests, 3);
    EXPECT_EQ(stats->resends, 3);
    client->update();
    EXPECT_EQ(toServer->getSequenceIn(), 7);

    // No request can name the last piece: the timer sends it again once its
    // acknowledgement is later than the resend timeout, then after twice that.
    say(*client, "r");
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
    say(*client, "r");
    server->update();
    EXPECT_EQ(toClient->resendTimeout(), backedOff);
    EXPECT_EQ(client->received, std::vector<std::string>{pattern(4000)});
}

// Both sides send at every service (50 ms) over a clean link as slow each way:
// from the join on, before any round trip was measured, nothing goes twice.
TEST_F(DataPathSockets, ACleanLinkSendsNothingTwiceWhateverItsDelay) {
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

// The timer's resends, over real sockets on a link of a delay and jitter
// each way: a server serviced every serviceMs sends a piece every sendMs; its
// client answers at each of its services, 50 ms apart (but for every 50th, a
// skipped service and 5 ms late, when late), or no more from the 200th piece
// on (when gone: the server then tries the oldest until the time-out).
TEST_F(DataPathSockets, TheTimerAllowsForThePeersServiceAndTriesOftenWithinTheTimeOut) {
    auto serverResends = [](double delay, double jitter, int serviceMs, int sendMs, bool late, bool gone) {
        Random::seed(1);
        NetTestEngine net(false);
        RecordingHost server(true), client(false);
        for (RecordingHost* host : {&server, &client})
            host->getConnection()->setSimulation(0.0, delay, jitter);
        client.sendConnectRequest(server.getConnection()->getAddress());
        const int pieces = gone ? 200 : 400;
        int sent = 0;
        for (int ms = 0, due = 0, services = 0; ms < 100000 && (sent < pieces || (gone && server.getPeerCount()));
             ++ms, net.advance(0.001)) {
            if (ms % serviceMs == 0) {
                if (server.getPeerCount() && ms % sendMs == 0 && sent < pieces) {
                    say(server, "tick");
                    ++sent;
                }
                server.update();
            }
            if (ms == due && sent < pieces) {
                due += late && ++services % 50 == 0 ? 105 : 50;
                say(client, "tock");
                client.update();
            }
        }
        NetStats total(0.0);
        server.getConnection()->addTraffic(&total);
        return total.resends;
    };
    // Acknowledgements come up to the client's service interval later than the
    // round trip the newest piece of each shows; now and then, later by that and 5 ms.
    EXPECT_EQ(serverResends(0.2, 0.02, 10, 10, false, false), 0);
    EXPECT_EQ(serverResends(0.05, 0.001, 1, 50, true, false), 0);
    // The waits double, to a tenth of the time-out (5 s) at most.
    EXPECT_GE(serverResends(0.05, 0.005, 10, 10, false, true), 8);
}

TEST_F(DataPathSockets, AFloodingPeerThatNeverAcknowledgesIsHeldToItsAllowanceAndDroppedALossyHonestOneIsNot) {
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
            DatagramForge::writeData(d, mute.getHostUID(), firstPeer(mute)->getSecret(), i == 0 ? ++sequence : sequence, false, 0, {""}, requests);
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
