// Feeds arbitrary datagrams to a server host and a client host, each with one
// peer of a known identifier, then lets both update: connection packets and
// data datagrams (pieces, acknowledgements, resend requests) from any sender.
//
// The input is a list of records: one control byte (bit 0: to the client;
// bit 1: from another port of the peer's IP; bit 2: from another IP; bit 3:
// put a matching checksum into a data datagram, so mutations get past it;
// bits 4-7: milliseconds to advance the clock first), a 16-bit length, then
// the datagram.
#include "FuzzClock.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "net/NetConnection.h"
#include "net/NetHost.h"
#include "net/Node.h"
#include "net/PlimNetwork.h"
#include "util/PlimUtil.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <zlib.h>

namespace {

FuzzClock ticks;

struct FuzzHost : NetHost {
    explicit FuzzHost(bool server) : NetHost(PLIM_BUILD_NAME, NetHost::WIRE_VERSION, "fuzz", 0, server) {
        setConnection(new NetConnection(NetAddress(UString("127.0.0.1"), 0)), true);
        setMaxPeers(3);
    }
    void processPacket(Packet* packet) override { delivered += packet->getLength(); }
    long delivered = 0;
};

void setUp() {
    if (ticks.startEngine())
        PLIM->network->bEmulateLocalhost = true;
}

Node* addKnownPeer(NetHost& host, uint32_t id, const NetAddress& at) {
    Packet from;
    from.address = at;
    Node* peer = host.addPeer(&from, "known");
    peer->identify(id, 0); // the secret known too: inputs reach the data path with eight zero bytes after the identifier
    return peer;
}

// Rewrites the checksum field where a data datagram's header puts it.
void fixChecksum(Packet& datagram) {
    Packet header(Packet::FLAG_FILTER1, datagram.size);
    if (datagram.size > 0)
        memcpy(header.buffer, datagram.buffer, size_t(datagram.size));
    header.rewindToRead();
    header.size = datagram.size;
    uint32_t id = 0;
    uint64_t secret = 0;
    int value = 0;
    uint8_t kind = 0;
    header.doBytes(&id, 4);
    header.doBytes(&secret, 8);
    header.doHeader();
    header.doUInt(&value);
    header.doBits(&kind, 1);
    if (!(kind & 1)) {
        header.doUInt(&value);
        header.doBits(&kind, 1);
    }
    header.doUInt(&value);
    int at = static_cast<int>(header.cursor - header.buffer);
    if (header.hasError() || at + 4 > datagram.size)
        return;
    uLong crc = crc32(0L, datagram.buffer, uInt(at));
    crc = crc32(crc, datagram.buffer + at + 4, uInt(datagram.size - at - 4));
    uint32_t field = uint32_t(crc);
    memcpy(datagram.buffer + at, &field, 4);
}

void checkBounded(NetHost& host) {
    for (BasicLink* l = host.getPeers().firstChild; l; l = l->next) {
        Node* peer = static_cast<Node*>(l);
        if (peer->getInQueue().getNumChildren() > NetHost::MAX_SEQUENCE_AHEAD ||
            peer->getContiguousQueue().getNumChildren() > Node::MAX_JOINED_PIECES)
            abort();
    }
    if (host.getReadyCount() != 0)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUp();
    {
        FuzzHost server(true), client(false);
        client.setHostUID(0x22222222);
        addKnownPeer(server, client.getHostUID(), client.getConnection()->getAddress());
        // A client reads only what comes from the server it dialled.
        client.sendConnectRequest(server.getConnection()->getAddress());
        addKnownPeer(client, server.getHostUID(), server.getConnection()->getAddress());
        // Both sides have sent something, so acknowledgements have a meaning.
        Packet hello;
        const char text[] = "hello";
        hello.doBytes(const_cast<char*>(text), 5);
        server.sendToAll(&hello);
        client.sendToAll(&hello);

        size_t at = 0;
        while (at + 3 <= size) {
            uint8_t control = data[at];
            size_t length = size_t(data[at + 1]) | size_t(data[at + 2]) << 8;
            at += 3;
            if (length > size - at)
                length = size - at;
            ticks.now += control >> 4;
            FuzzHost& to = (control & 1) ? client : server;
            FuzzHost& from = (control & 1) ? server : client;
            Packet datagram(Packet::FLAG_FILTER1, static_cast<int32_t>(length));
            if (length > 0)
                memcpy(datagram.buffer, data + at, length);
            datagram.bWriting = false;
            datagram.size = static_cast<int32_t>(length);
            datagram.address = from.getConnection()->getAddress();
            if (control & 2)
                datagram.address.setPort(static_cast<uint16_t>(datagram.address.getPort() + 100));
            if (control & 4)
                datagram.address.setIP(0x0A000001);
            if (control & 8)
                fixChecksum(datagram);
            to.servicePacket(&datagram);
            at += length;
            server.update();
            client.update();
            checkBounded(server);
            checkBounded(client);
        }
    }
    // Whatever the hosts sent to each other stays queued; start clean.
    PLIM->network->emulatedPackets.destroyChildren();
    return 0;
}
