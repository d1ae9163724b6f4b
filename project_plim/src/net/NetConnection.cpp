#include "NetConnection.h"

#include "render/DrawHelpers.h"
#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/PlimUtil.h"
#include "util/Random.h"
#include "render/TextPrinter.h"
#include "render/VertexBuffer.h"
#include "NetTime.h"
#include "PlimNetwork.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/udp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const char* const TAG = "NetConnection";
const uint32_t LOCALHOST = 0x7f000001u;
const UColor GRAPH_YELLOW(255, 255, 0, 255);
// Print flags of the graph's three texts.
const int VALUE_FLAGS = 0x28;
const int PEAK_FLAGS = 3;
const int LABEL_FLAGS = 0x22;
// The system takes at most this many segments and 65,507 bytes in one send.
const int MAX_SEGMENTS = 64;
const int MAX_SEGMENTED_BYTES = 65507;
// Datagrams taken from the socket in one call.
const int BATCH_DATAGRAMS = 32;
// Datagrams the simulated loss drops in one receive at most: a flood must not keep it there.
const int MAX_LOST_AT_ONCE = 65536;
// Room for the control messages of a send (source address and segment size)
// or of a receive (the local address, IP_PKTINFO), aligned.
union ControlBuffer {
    char bytes[CMSG_SPACE(sizeof(in_pktinfo)) + CMSG_SPACE(sizeof(uint16_t))];
    cmsghdr align;
};

} // namespace

// Each slot's buffer holds a whole datagram; handing one out swaps it with
// the receive packet's, so nothing is copied and nothing allocated per datagram.
struct NetConnection::ReceiveBatch {
    uint8_t* buffers[BATCH_DATAGRAMS];
    mmsghdr messages[BATCH_DATAGRAMS];
    iovec pieces[BATCH_DATAGRAMS];
    sockaddr_in senders[BATCH_DATAGRAMS];
    ControlBuffer controls[BATCH_DATAGRAMS];
    int count = 0, next = 0;
    // When they were taken: one clock read for them all.
    double time = 0.0;
    explicit ReceiveBatch(bool packetInfo) {
        for (int i = 0; i < BATCH_DATAGRAMS; ++i) {
            buffers[i] = new uint8_t[MAX_DATAGRAM];
            prepare(i, packetInfo);
        }
    }
    // The system writes only the slots it fills (and a handed-out slot has
    // another buffer now): those are set again, not all of them each call.
    void prepare(int i, bool packetInfo) {
        pieces[i] = {buffers[i], size_t(MAX_DATAGRAM)};
        messages[i].msg_hdr = msghdr{};
        messages[i].msg_hdr.msg_name = &senders[i];
        messages[i].msg_hdr.msg_namelen = sizeof senders[i];
        messages[i].msg_hdr.msg_iov = &pieces[i];
        messages[i].msg_hdr.msg_iovlen = 1;
        if (packetInfo) {
            messages[i].msg_hdr.msg_control = controls[i].bytes;
            messages[i].msg_hdr.msg_controllen = sizeof controls[i].bytes;
        }
    }
    ~ReceiveBatch() {
        for (uint8_t* b : buffers)
            delete[] b;
    }
};

NetConnection::NetConnection(NetAddress bindAddress, bool fatal) : address(bindAddress) {
    PlimNetwork* network = PLIM ? PLIM->network : nullptr;
    emulated = address.getIP() == LOCALHOST && network && network->bEmulateLocalhost;
    if (emulated) {
        address.setPort(network->nextEmulatedPort());
        logTagged(TAG, "Creating emulated localhost connection: %s.", address.toString().c_str());
    } else if (!openSocket(fatal)) {
        return;
    }
    logTagged(TAG, "Done.");
}

void NetConnection::setupFailed(bool fatal, const char* statement, int line) {
    UString text = PlimNetwork::errorText(errno);
    if (fatal)
        ErrorManager::assertionFailed(text.c_str(), statement, TAG, __FILE__, line);
    logTagged(TAG, "WARNING: %s (%s)", text.c_str(), statement);
    closeSocket();
}

bool NetConnection::openSocket(bool fatal) {
    wsaSocket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (wsaSocket < 0) {
        setupFailed(fatal, "SOCKET_ERROR", __LINE__);
        return false;
    }
    int flags = fcntl(wsaSocket, F_GETFL, 0);
    if (flags < 0)
        flags = 0;
    fcntl(wsaSocket, F_SETFL, flags | O_NONBLOCK);

    if (!growReceiveBuffer()) {
        setupFailed(fatal, "setsockopt(wsaSocket, SOL_SOCKET, SO_RCVBUF, &wanted, sizeof wanted)", __LINE__);
        return false;
    }

    int allowBroadcasting = ALLOW_BROADCASTING;
    if (setsockopt(wsaSocket, SOL_SOCKET, SO_BROADCAST, (char*)&allowBroadcasting, sizeof(int)) != 0) {
        setupFailed(fatal,
                    "setsockopt(wsaSocket, SOL_SOCKET, SO_BROADCAST, (char*) &allowBroadcasting, sizeof(int))",
                    __LINE__);
        return false;
    }

    if (address.getIP() == 0) {
        int on = 1;
        bPacketInfo = setsockopt(wsaSocket, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) == 0;
    }

    logTagged(TAG, "Binding to address: %s.", address.toString().c_str());
    sockaddr_in in;
    address.toSockAddr(&in);
    if (bind(wsaSocket, reinterpret_cast<sockaddr*>(&in), SOCKADDR_SIZE) != 0) {
        setupFailed(fatal, "bind(wsaSocket,address.getSockAddr(),sizeofSockAddr)", __LINE__);
        return false;
    }
    socklen_t length = sizeof in;
    if (getsockname(wsaSocket, reinterpret_cast<sockaddr*>(&in), &length) == 0)
        address.fromSockAddr(in);
    logTagged(TAG, "Bound to address: %s.", address.toString().c_str());
    return true;
}

bool NetConnection::growReceiveBuffer() {
    // Beyond net.core.rmem_max only with CAP_NET_ADMIN (SO_RCVBUFFORCE); else
    // the kernel cuts the request down to that limit.
    int wanted = RECEIVE_BUFFER_SIZE;
    bool forced = setsockopt(wsaSocket, SOL_SOCKET, SO_RCVBUFFORCE, &wanted, sizeof wanted) == 0;
    if (!forced && setsockopt(wsaSocket, SOL_SOCKET, SO_RCVBUF, &wanted, sizeof wanted) != 0)
        return false;
    // The kernel keeps double what it was given (its bookkeeping counts too).
    socklen_t optionLength = sizeof receiveBufferBytes;
    if (getsockopt(wsaSocket, SOL_SOCKET, SO_RCVBUF, &receiveBufferBytes, &optionLength) == 0)
        logTagged(TAG, "Receive buffer is %d bytes%s.", receiveBufferBytes,
                  forced || receiveBufferBytes >= 2 * wanted ? "" : " (net.core.rmem_max limits it)");
    return true;
}

void NetConnection::closeSocket() {
    if (wsaSocket >= 0)
        close(wsaSocket);
    wsaSocket = -1;
}

NetConnection::~NetConnection() {
    batch.reset();
    if (emulated) {
        if (PLIM && PLIM->network)
            PLIM->network->flushEmulatedPackets(address);
    } else {
        closeSocket();
    }
}

void NetConnection::sendRaw(Packet* packet, NetAddress to) {
    packet->time = netTime();
    int count = packet->getLength();
    if (emulated) {
        PLIM->network->queueEmulatedPacket(address, to, packet->buffer, count);
    } else if (wsaSocket >= 0) {
        iovec io = {packet->buffer, size_t(count)};
        if (!sendMessage(&io, 1, to, sourceFor(to), 0))
            errorLog.log(packet->time, "sendRaw", "WARNING: sendto() failed with error %s.",
                         PlimNetwork::errorText(errno).c_str());
    } else {
        return; // closed: nothing goes out
    }
    countSent(count, packet->time);
}

void NetConnection::countSent(int bytes, double now) {
    NetStats* stats = getStats(now);
    stats->packetsOut += 1;
    stats->bytesOut += bytes + HEADER_OVERHEAD;
    stats->payloadBytesOut += bytes;
}

void NetConnection::sendRawBatch(Packet* const* packets, int count, NetAddress to) {
    int i = 0;
    while (i < count) {
        int size = packets[i]->getLength();
        int run = 1, total = size;
        // Equal lengths, and at most one shorter packet to end the run.
        while (i + run < count && run < MAX_SEGMENTS && size > 0) {
            int next = packets[i + run]->getLength();
            if (next > size || next == 0 || total + next > MAX_SEGMENTED_BYTES)
                break;
            total += next;
            ++run;
            if (next < size)
                break;
        }
        if (run < 2 || emulated || wsaSocket < 0 || !bSegmentOffload ||
            !sendSegmented(packets + i, run, to, sourceFor(to)))
            for (int k = 0; k < run; ++k)
                sendRaw(packets[i + k], to);
        i += run;
    }
}

bool NetConnection::sendSegmented(Packet* const* packets, int count, const NetAddress& to, uint32_t source) {
    // The kernel gathers the packets' bytes itself: no joined copy of them here.
    iovec io[MAX_SEGMENTS];
    for (int k = 0; k < count; ++k)
        io[k] = {packets[k]->buffer, size_t(packets[k]->getLength())};
    if (!sendMessage(io, count, to, source, uint16_t(packets[0]->getLength()))) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS)
            return false; // the buffer is full now: each goes alone, as sendRaw would
        logTagged(TAG, "Segmentation offload refused (%s); sending datagrams one by one.",
                  PlimNetwork::errorText(errno).c_str());
        bSegmentOffload = false;
        return false;
    }
    double now = netTime();
    for (int k = 0; k < count; ++k) {
        packets[k]->time = now;
        countSent(packets[k]->getLength(), now);
    }
    return true;
}

bool NetConnection::receiveBatch() {
    if (!batch)
        batch.reset(new ReceiveBatch(bPacketInfo));
    ReceiveBatch& b = *batch;
    for (int i = 0; i < b.count; ++i)
        b.prepare(i, bPacketInfo);
    int got = recvmmsg(wsaSocket, b.messages, BATCH_DATAGRAMS, MSG_DONTWAIT, nullptr);
    int error = got < 0 ? errno : 0;
    // An empty socket ends every drain: that answer needs no clock read.
    if (got < 0 && (error == EAGAIN || error == EWOULDBLOCK) && !errorLog.owing())
        return false;
    b.time = netTime();
    errorLog.flush(b.time);
    if (got < 0) {
        // Nothing waiting, or an ICMP answer to an earlier datagram: nothing received.
        if (error != EAGAIN && error != EWOULDBLOCK && error != ECONNRESET && error != ECONNREFUSED &&
            error != EINTR)
            errorLog.log(b.time, "receiveRaw", "WARNING: recvfrom() failed with error %s.",
                         PlimNetwork::errorText(error).c_str());
        return false;
    }
    b.count = got;
    b.next = 0;
    return got > 0;
}

Packet* NetConnection::receiveRaw() {
    Packet* p = &receivePacket;
    p->reset();
    p->bWriting = false;
    int count = 0;
    double now = 0.0;
    if (emulated) {
        if (!PLIM->network->receiveEmulatedPacket(address, &p->address, p->buffer, &count))
            return nullptr;
        now = netTime();
    } else {
        if (wsaSocket < 0)
            return nullptr;
        if ((!batch || batch->next == batch->count) && !receiveBatch())
            return nullptr;
        ReceiveBatch& b = *batch;
        int i = b.next++;
        now = b.time;
        std::swap(p->buffer, b.buffers[i]);
        p->cursor = p->buffer;
        p->address.fromSockAddr(b.senders[i]);
        count = static_cast<int>(b.messages[i].msg_len);
        lastSender = p->address;
        lastLocal = 0;
        msghdr& header = b.messages[i].msg_hdr;
        for (cmsghdr* c = bPacketInfo ? CMSG_FIRSTHDR(&header) : nullptr; c; c = CMSG_NXTHDR(&header, c))
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info;
                memcpy(&info, CMSG_DATA(c), sizeof info);
                lastLocal = ntohl(info.ipi_spec_dst.s_addr); // for a broadcast, the interface's own
            }
    }
    p->size = count;
    p->time = now;
    NetStats* stats = getStats(now);
    stats->packetsIn += 1;
    stats->bytesIn += count + HEADER_OVERHEAD;
    stats->payloadBytesIn += count;
    return p;
}

double NetConnection::randomFraction() { return (Random::next() & 0xFFFF) / 65536.0; }

Packet* NetConnection::receive() {
    int lost = 0;
    while (Packet* p = receiveRaw()) {
        // A lost one ends nothing: the rest waiting is still taken now. The
        // program's random sequence is drawn from only when loss is simulated.
        if (lossProbability > 0.0 && lossProbability > randomFraction()) {
            getStats()->packetsLost += 1;
            if (++lost < MAX_LOST_AT_ONCE)
                continue;
            return nullptr;
        }
        if (delayBase == 0.0 && delayRandom == 0.0)
            return p;
        Packet* copy = p->slice(p->size);
        copy->time += delayBase + randomFraction() * delayRandom;
        delayedPackets.addChild(copy);
    }
    if (!delayedPackets.firstChild)
        return nullptr;
    double now = netTime();
    for (BasicLink* l = delayedPackets.firstChild; l; l = l->next) {
        if (l->bDestroyPending || l->bSkip)
            continue;
        Packet* p = static_cast<Packet*>(l);
        if (p->time <= now) {
            delayedPackets.removeChild(p);
            p->parent = nullptr;
            return p;
        }
    }
    return nullptr;
}

void NetConnection::releasePacket(Packet* packet) {
    if (packet && packet != &receivePacket)
        delete packet;
}

void NetConnection::addTraffic(NetStats* into) {
    NetStats* current = getStats(); // first: it may close a sample into the total
    into->add(&totalStats);
    into->add(current);
}

NetStats* NetConnection::getStats() { return getStats(netTime()); }

NetStats* NetConnection::getStats(double now) {
    NetStats* newest = static_cast<NetStats*>(statsHistory.lastChild);
    double start = now;
    if (newest) {
        if (now <= newest->endTime)
            return newest;
        totalStats.add(newest);
        start = newest->endTime;
    }
    NetStats* sample = new NetStats(start);
    statsHistory.addChild(sample);
    NetStats* oldest = static_cast<NetStats*>(statsHistory.firstChild);
    if (oldest != sample && sample->endTime - historyLength > oldest->startTime)
        delete oldest;
    return sample;
}

namespace {
uint64_t endpointKey(const NetAddress& a) { return uint64_t(a.getIP()) << 16 | a.getPort(); }
} // namespace

void NetConnection::setReplySource(const NetAddress& to, uint32_t localIP) {
    if (bPacketInfo && localIP)
        replySources[endpointKey(to)] = localIP;
}

void NetConnection::forgetReplySource(const NetAddress& to) { replySources.erase(endpointKey(to)); }

uint32_t NetConnection::sourceFor(const NetAddress& to) const {
    if (!bPacketInfo)
        return 0;
    // An answer to the datagram being handled goes back from where it came to.
    if (to.sameEndpoint(lastSender) && lastLocal)
        return lastLocal;
    auto found = replySources.find(endpointKey(to));
    return found == replySources.end() ? 0 : found->second;
}

bool NetConnection::sendMessage(iovec* io, int count, const NetAddress& to, uint32_t source, uint16_t segment) {
    sockaddr_in in;
    to.toSockAddr(&in);
    ControlBuffer control;
    memset(&control, 0, sizeof control);
    msghdr message;
    memset(&message, 0, sizeof message);
    message.msg_name = &in;
    message.msg_namelen = SOCKADDR_SIZE;
    message.msg_iov = io;
    message.msg_iovlen = size_t(count);
    // Both control messages travel together: a reply from the client's own
    // address loses nothing of the segmentation.
    message.msg_control = control.bytes;
    message.msg_controllen = sizeof control.bytes;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    size_t used = 0;
    if (source) {
        in_pktinfo info;
        memset(&info, 0, sizeof info);
        info.ipi_spec_dst.s_addr = htonl(source);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof info);
        memcpy(CMSG_DATA(header), &info, sizeof info);
        used += CMSG_SPACE(sizeof info);
        header = CMSG_NXTHDR(&message, header);
    }
    if (segment) {
        header->cmsg_level = SOL_UDP;
        header->cmsg_type = UDP_SEGMENT;
        header->cmsg_len = CMSG_LEN(sizeof segment);
        memcpy(CMSG_DATA(header), &segment, sizeof segment);
        used += CMSG_SPACE(sizeof segment);
    }
    message.msg_controllen = used;
    if (!used)
        message.msg_control = nullptr;
    ++sendCalls;
    return sendmsg(wsaSocket, &message, 0) >= 0;
}

void NetConnection::setSimulation(double loss, double fixedDelay, double randomDelay) {
    lossProbability = loss;
    delayBase = fixedDelay;
    delayRandom = randomDelay;
}

void NetConnection::drawStats(TextPrinter* font, float left, float top, float right, float bottom,
                              const UString& label, int32_t NetStats::*counter) {
    NetStats* newest = static_cast<NetStats*>(statsHistory.lastChild);
    if (!newest || !newest->prev)
        return;
    int n = 0;
    double peak = 0.001;
    for (BasicLink* l = statsHistory.firstChild; l; l = l->next) {
        if (l->bDestroyPending || l->bSkip)
            continue;
        NetStats* s = static_cast<NetStats*>(l);
        if (s->*counter > peak)
            peak = s->*counter;
        ++n;
    }
    double full = 1.25 * peak;
    if (PLIM->graphics)
        PLIM->graphics->loadIdentity();
    drawRectOutline(Rect(left, top, right, bottom), GRAPH_YELLOW);

    VertexBuffer vb(n);
    NetStats* complete = static_cast<NetStats*>(newest->prev);
    float valueX = left, valueY = bottom;
    int i = 0;
    for (BasicLink* l = statsHistory.firstChild; l; l = l->next) {
        if (l->bDestroyPending || l->bSkip)
            continue;
        NetStats* s = static_cast<NetStats*>(l);
        Vertex& v = vb.pVertices[i];
        v.u = v.v = 0.0f;
        v.color = GRAPH_YELLOW;
        v.x = n > 1 ? left + float(i) / float(n - 1) * (right - left) : left;
        v.y = bottom + float(s->*counter / full) * (top - bottom);
        v.z = 0.0f;
        if (s == complete) {
            valueX = v.x;
            valueY = v.y;
        }
        ++i;
    }
    vb.countWrite();
    vb.draw(nullptr, VertexBuffer::PRIM_LINE_STRIP, 0, n);
    if (!font)
        return;
    font->printAt(valueX, valueY, 0.0f, UColor::WHITE, VALUE_FLAGS, formatString("%d", complete->*counter));
    font->printAt(left, top, 0.0f, UColor::WHITE, PEAK_FLAGS, formatString("%d", int(peak)));
    font->printAt(left, bottom, 0.0f, UColor::WHITE, LABEL_FLAGS, label);
}
