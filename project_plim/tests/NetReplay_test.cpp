// A server on a real socket of 127.0.0.1 under replayed connect requests: a
// recorded request sent again from other ports makes phantom peers, which
// never show that they receive at those ports. Each gets at most three times
// the bytes that came from its port, nothing of the world, and gives its slot
// back within two seconds, with a line in the log; a real client joining
// afterwards gets the whole world.
#include "Plim.h"
#include "PlimUtil.h"
#include "Renderable.h"
#include "RoleTestEngine.h"
#include "RootObjectBase.h"
#include "net/NetConnection.h"
#include "net/NetRole.h"
#include "net/NetTime.h"
#include "net/PlimNetwork.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdio>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

// A plain UDP socket on 127.0.0.1, such as a hostile program has.
class PlainSocket {
public:
    PlainSocket() {
        fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a = loopback(0);
        socklen_t length = sizeof a;
        if (bind(fd, reinterpret_cast<sockaddr*>(&a), length) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0)
            port = ntohs(a.sin_port);
    }
    ~PlainSocket() { close(fd); }
    void sendTo(uint16_t to, const Bytes& bytes) {
        sockaddr_in a = loopback(to);
        sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    std::vector<Bytes> drain() {
        std::vector<Bytes> got;
        uint8_t buffer[65536];
        for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) >= 0;)
            got.emplace_back(buffer, buffer + n);
        return got;
    }
    static sockaddr_in loopback(uint16_t port) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        return a;
    }
    int fd = -1;
    uint16_t port = 0;
};

TEST(NetReplay, ReplayedConnectRequestsGetLittleAndGiveTheirSlotsBack) {
    RoleTestEngine net;
    PLIM->network->bEmulateLocalhost = false;
    std::unique_ptr<NetRole> server(RoleTestEngine::makeRole(true));
    ASSERT_FALSE(server->connection->emulated);
    RootObjectBase* root = new RootObjectBase();
    server->registerObject(root, 1);
    for (int i = 0; i < 40; ++i) {
        Renderable* r = new Renderable();
        server->registerObject(r, 0);
        root->addChild(r);
    }
    net.tickRoles(0.05, server.get());
    uint16_t serverPort = server->connection->address.getPort();

    // A client's own request, recorded on its way.
    std::unique_ptr<NetRole> client(RoleTestEngine::makeRole(false));
    PlainSocket recorder;
    client->sendConnectRequest(NetAddress(UString("127.0.0.1"), recorder.port));
    std::vector<Bytes> recorded = recorder.drain();
    ASSERT_EQ(recorded.size(), 1u);
    const Bytes& request = recorded[0];

    // Sent again once from each of four other ports.
    const size_t phantoms = 4;
    std::vector<std::unique_ptr<PlainSocket>> hostile;
    for (size_t i = 0; i < phantoms; ++i) {
        hostile.emplace_back(new PlainSocket());
        hostile.back()->sendTo(serverPort, request);
    }
    std::vector<long> received(phantoms, 0), data(phantoms, 0);
    double start = netTime(), freedAfter = -1.0;
    bool allJoined = false;
    // Until the slots are free and a second more, at most 6 s of ticks.
    for (int tick = 0; tick < 120 && (freedAfter < 0.0 || netTime() - start < freedAfter + 1.0); ++tick) {
        net.tickRoles(0.05, server.get());
        allJoined |= server->getPeerCount() == int(phantoms);
        if (allJoined && server->getPeerCount() == 0 && freedAfter < 0.0)
            freedAfter = netTime() - start;
        for (size_t i = 0; i < phantoms; ++i)
            for (const Bytes& d : hostile[i]->drain()) {
                received[i] += long(d.size());
                data[i] += d.size() < 4 || d[0] != 0xFB || d[1] != 0xFC || d[2] != 0xFD || d[3] != 0xFE;
            }
    }
    for (size_t i = 0; i < phantoms; ++i)
        printf("bytes sent per replayed connect request of %zu bytes: %ld (%ld data datagrams)\n", request.size(),
               received[i], data[i]);
    EXPECT_TRUE(allJoined);
    EXPECT_GT(freedAfter, 0.0);
    EXPECT_LE(freedAfter, 2.0);
    LogText log = net.log();
    for (size_t i = 0; i < phantoms; ++i) {
        EXPECT_GT(received[i], 0) << i; // its accept
        EXPECT_LE(received[i], 3 * long(request.size())) << i;
        EXPECT_EQ(data[i], 0) << i;
        UString line = formatString(" (127.0.0.1:%d): no data with its identifier within 1.9 s of the accept.",
                                    hostile[i]->port);
        bool named = false;
        for (const std::string& l : log.lines)
            named |= l.find(line.c_str()) != std::string::npos;
        EXPECT_TRUE(named) << line.c_str();
    }

    // The real client joins and gets the world.
    client->sendConnectRequest(server->connection->address);
    for (int tick = 0; tick < 100 && client->objectMap.size() < server->objectMap.size(); ++tick)
        net.tickRoles(0.05, server.get(), client.get());
    EXPECT_EQ(client->objectMap.size(), server->objectMap.size());
    EXPECT_EQ(server->getPeerCount(), 1);
}

} // namespace
