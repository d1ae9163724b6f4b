#include "RecordingHost.h"

#include "net/NetConnection.h"
#include "net/Node.h"

RecordingHost::RecordingHost(bool server, const char* game, double version, const char* name)
    : NetHost(game, version, name, 0, server) {
    setConnection(new NetConnection(NetAddress(UString("127.0.0.1"), 0)), true);
    setMaxPeers(8);
}

void RecordingHost::onPeerConnected(Node* peer) { events.push_back(std::string("connected ") + peer->getName().c_str()); }

void RecordingHost::onPeerDisconnected(Node* peer) {
    events.push_back(std::string("disconnected ") + peer->getName().c_str());
}

void RecordingHost::processPacket(Packet* packet) {
    received.emplace_back(reinterpret_cast<char*>(packet->cursor), packet->getBytesLeft());
}

void RecordingHost::onConnectionRejected(const UString& message) {
    events.push_back(std::string("rejected ") + message.c_str());
}

void RecordingHost::exchange(RecordingHost& a, RecordingHost& b) {
    for (int i = 0; i < 4; ++i) {
        a.update();
        b.update();
    }
}
