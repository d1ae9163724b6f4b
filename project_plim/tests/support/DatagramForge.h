#pragma once
// Datagrams written by hand, as another program (or a forger) would send them.
#include "net/NetAddress.h"

#include <cstdint>
#include <string>
#include <vector>

class NetHost;
class Packet;

class DatagramForge {
public:
    typedef std::vector<uint8_t> Bytes;

    // A data datagram: header fields, entries and a checksum made the way a
    // sender makes it (over everything before it and the payload).
    static void writeData(Packet& p, uint32_t id, uint64_t secret, int sequence, bool more, int ack,
                          const std::vector<std::string>& pieces, const std::vector<int>& requests = {});
    static Bytes data(uint32_t id, uint64_t secret, int sequence, bool more, int ack,
                      const std::vector<std::string>& pieces, const std::vector<int>& requests = {});
    // A connection packet of the type with the body's bytes; with a trailing checksum when asked.
    static Bytes connection(uint32_t type, const Bytes& body, bool checksum);
    // Ready to be read, as if it came from the address.
    static Packet* readable(const Bytes& bytes, const NetAddress& from);
    // Into the host's receive path under that exact address.
    static void inject(NetHost& host, const Bytes& bytes, const NetAddress& from);
    // Sent to the host's socket with a forged source by a raw socket (as root), and
    // received there; where raw sockets are not allowed, injected instead.
    static void spoof(NetHost& host, const Bytes& bytes, const NetAddress& from);
    // Sends with a forged source through a raw socket; false where none may be opened.
    static bool sendRaw(const Bytes& bytes, const NetAddress& from, const NetAddress& to);
    static bool canSendRaw() { return rawSocket() >= 0; }

private:
    // One per process, opened at the first call; negative where that is not allowed.
    static int rawSocket();
};
