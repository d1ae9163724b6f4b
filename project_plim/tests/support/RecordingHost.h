#pragma once
// A host that records what the network tells it, with its own connection.
#include "net/NetHost.h"

#include <string>
#include <vector>

class RecordingHost : public NetHost {
public:
    // Bound to 127.0.0.1 (emulated unless the settings say otherwise).
    RecordingHost(bool server, const char* game = "Corvana2demo", double version = NetHost::WIRE_VERSION,
                  const char* name = "peer");

    void onPeerConnected(Node* peer) override;
    void onPeerDisconnected(Node* peer) override;
    void processPacket(Packet* packet) override;
    void onConnectionRejected(const UString& message) override;

    // Every pending datagram of both hosts, both ways, until both are quiet.
    static void exchange(RecordingHost& a, RecordingHost& b);

    std::vector<std::string> events;
    std::vector<std::string> received; // the bytes of each whole packet
};
