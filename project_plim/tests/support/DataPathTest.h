#pragma once
// A server and a client joined on emulated sockets, then given fresh peers
// whose sequence numbers start from nothing, with the steps of the data path
// tests that hand datagrams over directly.
#include "DataPathTools.h"
#include "NetTestEngine.h"
#include "RecordingHost.h"

#include <memory>

class NetStats;

class DataPathTest : public DataPathTools {
protected:
    void SetUp() override;
    uint64_t secret() const;
    // Sends a packet from the server and returns its datagrams (kept in outQueue).
    std::vector<Packet*> serverSends(const std::string& bytes);
    // The same, as the bytes of each datagram.
    std::vector<Bytes> serverDatagrams(const std::string& bytes);
    // Hands a datagram to the client as if it came from the server.
    void toClientDirect(const Bytes& bytes);
    void toServerDirect(const Bytes& bytes, NetAddress from);
    NetStats* clientStats();

    NetTestEngine net;
    std::unique_ptr<RecordingHost> server{new RecordingHost(true)};
    std::unique_ptr<RecordingHost> client{new RecordingHost(false)};
    Node* toClient = nullptr;
    Node* toServer = nullptr;
};
