#include "DatagramForge.h"

#include "net/NetConnection.h"
#include "net/NetHost.h"
#include "serial/Packet.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/ip.h>
#include <netinet/udp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

void DatagramForge::writeData(Packet& p, uint32_t id, uint64_t secret, int sequence, bool more, int ack,
                              const std::vector<std::string>& pieces, const std::vector<int>& requests) {
    p.doBytes(&id, 4);
    p.doBytes(&secret, 8);
    p.sequence = sequence;
    p.continued = more;
    p.doHeader();
    p.doUInt(&ack);
    for (int request : requests) {
        uint8_t zero = 0;
        p.doBits(&zero, 1);
        p.doUInt(&request);
    }
    for (const std::string& payload : pieces) {
        uint8_t one = 1;
        p.doBits(&one, 1);
        int length = static_cast<int>(payload.size());
        p.doUInt(&length);
        uLong crc = crc32(0L, p.buffer, static_cast<uInt>(p.getLength()));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(payload.data()), static_cast<uInt>(length));
        uint32_t field = static_cast<uint32_t>(crc);
        p.doBytes(&field, 4);
        p.doBytes(const_cast<char*>(payload.data()), length);
    }
}

DatagramForge::Bytes DatagramForge::data(uint32_t id, uint64_t secret, int sequence, bool more, int ack,
                                         const std::vector<std::string>& pieces, const std::vector<int>& requests) {
    Packet p;
    writeData(p, id, secret, sequence, more, ack, pieces, requests);
    return Bytes(p.buffer, p.cursor);
}

DatagramForge::Bytes DatagramForge::connection(uint32_t type, const Bytes& body, bool checksum) {
    Packet p;
    uint32_t marker = NetHost::CONNECTION_MARKER;
    p.doBytes(&marker, 4);
    p.doBytes(&type, 4);
    p.doBytes(const_cast<uint8_t*>(body.data()), static_cast<int>(body.size()));
    if (checksum) {
        uint32_t crc = static_cast<uint32_t>(crc32(0L, p.buffer, static_cast<uInt>(p.getLength())));
        p.doBytes(&crc, 4);
    }
    return Bytes(p.buffer, p.cursor);
}

Packet* DatagramForge::readable(const Bytes& bytes, const NetAddress& from) {
    Packet* p = new Packet(Packet::FLAG_FILTER1, static_cast<int>(bytes.size()));
    p->doBytes(const_cast<uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
    p->rewindToRead();
    p->address = from;
    return p;
}

void DatagramForge::inject(NetHost& host, const Bytes& bytes, const NetAddress& from) {
    Packet* p = readable(bytes, from);
    host.servicePacket(p);
    delete p;
}

int DatagramForge::rawSocket() {
    static int raw = socket(AF_INET, SOCK_RAW, IPPROTO_RAW);
    return raw;
}

bool DatagramForge::sendRaw(const Bytes& bytes, const NetAddress& from, const NetAddress& to) {
    int raw = rawSocket();
    if (raw < 0)
        return false;
    Bytes datagram(sizeof(iphdr) + sizeof(udphdr));
    iphdr ip{};
    ip.version = 4;
    ip.ihl = 5;
    ip.ttl = 64;
    ip.protocol = IPPROTO_UDP;
    ip.tot_len = htons(uint16_t(datagram.size() + bytes.size()));
    ip.saddr = htonl(from.getIP());
    ip.daddr = htonl(to.getIP());
    udphdr udp{};
    udp.source = htons(from.getPort());
    udp.dest = htons(to.getPort());
    udp.len = htons(uint16_t(sizeof udp + bytes.size())); // no UDP checksum: allowed over IPv4
    memcpy(&datagram[0], &ip, sizeof ip);
    memcpy(&datagram[sizeof ip], &udp, sizeof udp);
    datagram.insert(datagram.end(), bytes.begin(), bytes.end());
    sockaddr_in dest{};
    to.toSockAddr(&dest);
    return sendto(raw, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&dest), sizeof dest) ==
           ssize_t(datagram.size());
}

void DatagramForge::spoof(NetHost& host, const Bytes& bytes, const NetAddress& from) {
    NetConnection* c = host.getConnection();
    if (c && !c->isEmulated() && sendRaw(bytes, from, c->getAddress()))
        host.update();
    else
        inject(host, bytes, from);
}
