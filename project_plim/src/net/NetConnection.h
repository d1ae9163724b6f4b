#pragma once
// One UDP endpoint: a non-blocking datagram socket bound to a local address,
// or, for 127.0.0.1 while the network part emulates localhost, an in-process
// endpoint on the emulation queue. Counts its traffic in one-second samples
// and can hold back or drop received datagrams to simulate a poor line.
#include "serial/Packet.h"
#include "core/LogLimiter.h"
#include "core/PlimBase.h"
#include "NetAddress.h"
#include "NetStats.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

class TextPrinter;

class NetConnection : public PlimBase {
public:
    enum {
        // Asked for, and granted as far as the system allows: the kernel keeps
        // twice it, about 0.4 s of 50,000 small datagrams a second, so a flood
        // overflows it only far beyond one service interval.
        RECEIVE_BUFFER_SIZE = 8 << 20,
        ALLOW_BROADCASTING = 1,
        SOCKADDR_SIZE = 16,
        HEADER_OVERHEAD = 28, // UDP and IP header bytes counted per datagram
        MAX_DATAGRAM = 65536
    };

    // Set-up failures are fatal; with fatal false they are logged as warnings
    // and the connection stays closed.
    explicit NetConnection(NetAddress address, bool fatal = true);
    ~NetConnection() override;

    bool isOpen() const { return emulated || wsaSocket >= 0; }

    // Sends the packet's bytes as one datagram and time-stamps the packet.
    void sendRaw(Packet* packet, NetAddress to);
    // sendRaw for each packet, in order. On a socket, runs of packets of one
    // length go to the kernel together, which cuts them into the same
    // datagrams again (UDP segmentation offload) at a fraction of the cost.
    void sendRawBatch(Packet* const* packets, int count, NetAddress to);
    // System calls made to send, whatever the number of datagrams in each.
    long getSendCalls() const { return sendCalls; }
    // The next datagram in the connection's own receive packet, or null.
    Packet* receiveRaw();
    // receiveRaw through the loss and delay simulation. A delayed packet is
    // the caller's, given back through releasePacket.
    Packet* receive();
    void releasePacket(Packet* packet);
    // The sample of the current second (of now, on the engine clock).
    NetStats* getStats();
    NetStats* getStats(double now);
    // A graph of one counter over the history, in the rectangle.
    void drawStats(TextPrinter* font, float left, float top, float right, float bottom, const UString& label,
                   int32_t NetStats::*counter);
    void setSimulation(double loss, double fixedDelay, double randomDelay);
    // Bound to all addresses: datagrams to the address go from the local
    // address given (one the peer sent to), not from whatever the route picks.
    void setReplySource(const NetAddress& to, uint32_t localIP);
    void forgetReplySource(const NetAddress& to);
    // The local address the latest received datagram was sent to; 0 when not known.
    uint32_t lastLocalIP() const { return lastLocal; }

    // Where it is bound (the system's port when 0 was asked for).
    const NetAddress& getAddress() const { return address; }
    bool isEmulated() const { return emulated; }
    // What the system granted for SO_RCVBUF (the kernel counts its own
    // bookkeeping in it: about 830 bytes for a small datagram).
    int getReceiveBufferBytes() const { return receiveBufferBytes; }
    // The packet receiveRaw fills: it holds the latest datagram until the next.
    Packet* getReceivePacket() { return &receivePacket; }
    // The counters of the seconds before the current one, added up.
    const NetStats& getEndedTotal() const { return totalStats; }
    // Adds everything counted so far, the current second too, to into.
    void addTraffic(NetStats* into);
    // One-second samples kept for the graphs.
    int getHistorySamples() const { return static_cast<int>(statsHistory.getNumChildren()); }
    // Received packets the delay simulation still holds back.
    int getDelayedCount() const { return static_cast<int>(delayedPackets.getNumChildren()); }

private:
    NetAddress address;
    PlimBase statsHistory;
    NetStats totalStats{0.0};
    double historyLength = 10.0;
    bool emulated = false;
    Packet receivePacket{Packet::FLAG_FILTER1, MAX_DATAGRAM};
    PlimBase delayedPackets;
    double delayBase = 0.0;
    double delayRandom = 0.0;
    double lossProbability = 0.0;
    int wsaSocket = -1;
    int receiveBufferBytes = 0;
    // Cleared when the system refuses segmentation offload; then every
    // datagram goes alone.
    bool bSegmentOffload = true;
    // Set when the socket reports each datagram's local address (IP_PKTINFO).
    bool bPacketInfo = false;
    uint32_t lastLocal = 0;
    NetAddress lastSender;
    std::unordered_map<uint64_t, uint32_t> replySources;
    long sendCalls = 0;
    // The local address to send to that address from; 0 for the route's choice.
    uint32_t sourceFor(const NetAddress& to) const;
    // One sendmsg of the pieces as one datagram, or, with a segment size, as
    // datagrams of that size cut by the kernel; from the source address
    // unless it is 0.
    bool sendMessage(struct iovec* io, int count, const NetAddress& to, uint32_t source, uint16_t segment);
    // Failed sends and receives: a datagram from outside can cause one (an
    // accept to a forged address that cannot be reached, an ICMP answer).
    LogLimiter errorLog{"NetConnection"};
    // Datagrams taken from the socket together and handed out one at a time.
    struct ReceiveBatch;
    std::unique_ptr<ReceiveBatch> batch;
    // Fills the batch from the socket; false when nothing came.
    bool receiveBatch();
    bool openSocket(bool fatal);
    // Asks for RECEIVE_BUFFER_SIZE, beyond the system's limit where the process may.
    bool growReceiveBuffer();
    // One run of packets whose lengths equal the first's (the last may be
    // shorter) in one send; false when the system refused it.
    bool sendSegmented(Packet* const* packets, int count, const NetAddress& to, uint32_t source);
    void countSent(int bytes, double now);
    void setupFailed(bool fatal, const char* statement, int line);
    void closeSocket();
    static double randomFraction();
};
