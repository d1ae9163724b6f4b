#include "DataPathTest.h"

#include "net/NetConnection.h"
#include "net/Node.h"
#include "serial/Packet.h"

void DataPathTest::SetUp() {
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

uint64_t DataPathTest::secret() const { return toClient->getSecret(); }

std::vector<Packet*> DataPathTest::serverSends(const std::string& bytes) {
    BasicLink* before = toClient->getOutQueue().lastChild;
    say(*server, bytes);
    std::vector<Packet*> sent;
    for (BasicLink* l = before ? before->next : toClient->getOutQueue().firstChild; l; l = l->next)
        sent.push_back(static_cast<Packet*>(l));
    return sent;
}

std::vector<DataPathTools::Bytes> DataPathTest::serverDatagrams(const std::string& bytes) {
    std::vector<Bytes> datagrams;
    for (Packet* p : serverSends(bytes))
        datagrams.push_back(bytesOf(p));
    return datagrams;
}

void DataPathTest::toClientDirect(const Bytes& bytes) {
    DatagramForge::inject(*client, bytes, server->getConnection()->getAddress());
}

void DataPathTest::toServerDirect(const Bytes& bytes, NetAddress from) { DatagramForge::inject(*server, bytes, from); }

NetStats* DataPathTest::clientStats() { return client->getConnection()->getStats(); }
