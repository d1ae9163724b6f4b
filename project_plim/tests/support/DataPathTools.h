#pragma once
// The data path tests' tools: datagrams read the way the wire form lays them
// out and written as a sender writes them, packets of bytes, the peer of a
// host, and a join over real sockets. As a fixture (DataPathSockets), of the
// tests that make their own engine and hosts.
#include "DatagramForge.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class NetHost;
class Node;
class Packet;
class RecordingHost;

class DataPathTools : public ::testing::Test {
protected:
    typedef DatagramForge::Bytes Bytes;

    struct Piece {
        int sequence, more, ack, request, length;
        std::vector<int> requests;
    };

    // Reads a datagram's header the way the wire form lays it out.
    static Piece parse(Packet* datagram);
    static Bytes dataDatagram(uint32_t id, uint64_t secret, int sequence, bool more, int ack,
                              const std::vector<std::string>& pieces, const std::vector<int>& requests = {});
    static Bytes bytesOf(Packet* p);
    static Packet* packetOf(const std::string& bytes);
    static std::string pattern(int n);
    static Node* firstPeer(NetHost& host);
    // The connection as if it had carried nothing yet, both ways: a fresh node in
    // the old one's place, under its identity, as a reconnection gets one.
    static Node* renewPeer(NetHost& host);
    static void say(NetHost& from, const std::string& bytes);
    // Over real sockets: asks until accepted, then shows the server that it receives.
    static void joinOverSockets(RecordingHost& server, RecordingHost& client);
};

typedef DataPathTools DataPathSockets;
