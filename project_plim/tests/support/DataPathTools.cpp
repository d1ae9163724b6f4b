#include "DataPathTools.h"

#include "DatagramForge.h"
#include "RecordingHost.h"
#include "net/NetConnection.h"
#include "net/Node.h"
#include "serial/Packet.h"

#include <unistd.h>

DataPathTools::Piece DataPathTools::parse(Packet* datagram) {
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

DataPathTools::Bytes DataPathTools::dataDatagram(uint32_t id, uint64_t secret, int sequence, bool more, int ack,
                                                 const std::vector<std::string>& pieces, const std::vector<int>& requests) {
    return DatagramForge::data(id, secret, sequence, more, ack, pieces, requests);
}

DataPathTools::Bytes DataPathTools::bytesOf(Packet* p) { return Bytes(p->buffer, p->buffer + p->getLength()); }

Packet* DataPathTools::packetOf(const std::string& bytes) {
    Packet* p = new Packet(Packet::FLAG_FILTER1, -1);
    p->doBytes(const_cast<char*>(bytes.data()), static_cast<int>(bytes.size()));
    return p;
}

std::string DataPathTools::pattern(int n) {
    std::string s(size_t(n), '\0');
    for (int i = 0; i < n; ++i)
        s[size_t(i)] = char(i * 7 + i / 251);
    return s;
}

Node* DataPathTools::firstPeer(NetHost& host) { return static_cast<Node*>(host.getPeers().firstChild); }

Node* DataPathTools::renewPeer(NetHost& host) {
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

void DataPathTools::say(NetHost& from, const std::string& bytes) {
    Packet* p = packetOf(bytes);
    from.sendToAll(p);
    delete p;
}

void DataPathTools::joinOverSockets(RecordingHost& server, RecordingHost& client) {
    for (int i = 0, peers = server.getPeerCount(); i < 500 && server.getPeerCount() == peers; ++i) {
        if (i % 50 == 0 && client.getPeerCount() == 0)
            client.sendConnectRequest(server.getConnection()->getAddress());
        RecordingHost::exchange(server, client);
        if (client.getPeerCount() == 1 && firstPeer(client)->getSequenceOut() == 0)
            say(client, "hello");
        usleep(1000);
    }
}
