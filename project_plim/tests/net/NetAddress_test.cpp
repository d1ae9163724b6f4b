// Addresses: parsing, lookup, the stored 16 bytes, the socket form and the
// packet's address field.
#include "serial/Packet.h"
#include "core/Plim.h"
#include "net/NetAddress.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes stored(const NetAddress& a) { return Bytes(a.bytes, a.bytes + 16); }

TEST(NetAddress, TextsGiveTheirAddressAndPort) {
    EXPECT_EQ(NetAddress().toString(), "0.0.0.0:0");
    EXPECT_EQ(NetAddress(UString("10.0.0.7:23006")).toString(), "10.0.0.7:23006");
    EXPECT_EQ(NetAddress(UString("10.0.0.7")).toString(), "10.0.0.7:0");
    EXPECT_EQ(NetAddress(UString("10.0.0.7:")).toString(), "10.0.0.7:0");
    EXPECT_EQ(NetAddress(UString("10.0.0.7:70000")).getPort(), 4464);
    EXPECT_EQ(NetAddress(UString("localhost"), 99).toString(), "127.0.0.1:99");
    // An unresolvable name is localhost without the port.
    EXPECT_EQ(NetAddress(UString("no-such-host.invalid"), 23006).toString(), "127.0.0.1:0");

    NetAddress a;
    a.set(0x7f000001, 5);
    EXPECT_EQ(a.toString(), "127.0.0.1:5");
    EXPECT_EQ(a.getIP(), 0x7f000001u);
    EXPECT_EQ(a.getPort(), 5);
    a.setPort(23006);
    EXPECT_EQ(stored(a), (Bytes{0x00, 0x02, 0x59, 0xDE, 0x7F, 0x00, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(stored(NetAddress(UString("127.0.0.1"), 23006)), stored(a));
}

TEST(NetAddress, ShapeCheckTakesAnyNumbersWithoutOverflow) {
    EXPECT_TRUE(NetAddress::isValidString("1.2.3.4:5"));
    EXPECT_TRUE(NetAddress::isValidString("999.1.1.1:99999"));
    EXPECT_TRUE(NetAddress::isValidString(" -1.+2.3.4:5"));
    EXPECT_TRUE(NetAddress::isValidString("1.2.3.4:999999999999999999999999999999"));
    EXPECT_FALSE(NetAddress::isValidString("1.2.3.4"));
    EXPECT_FALSE(NetAddress::isValidString("1.2.3.4:"));
    EXPECT_FALSE(NetAddress::isValidString("1.2.3:4"));
    EXPECT_FALSE(NetAddress::isValidString("a.b.c.d:e"));
    EXPECT_FALSE(NetAddress::isValidString(""));
    EXPECT_FALSE(NetAddress::isValidString(nullptr));
}

TEST(NetAddress, SocketFormIsConvertedFieldByField) {
    NetAddress a(UString("192.168.1.20"), 4000);
    sockaddr_in in;
    a.toSockAddr(&in);
    EXPECT_EQ(in.sin_family, AF_INET);
    EXPECT_EQ(ntohs(in.sin_port), 4000);
    EXPECT_EQ(ntohl(in.sin_addr.s_addr), 0xC0A80114u);
    NetAddress back;
    back.fromSockAddr(in);
    EXPECT_EQ(stored(back), stored(a));
    EXPECT_TRUE(back.sameEndpoint(a));
    back.bytes[0] = 16; // the length byte takes no part
    EXPECT_TRUE(back.sameEndpoint(a));
    back.setPort(4001);
    EXPECT_FALSE(back.sameEndpoint(a));
}

TEST(NetAddress, PacketsCarryAnAddressAndWriteIt) {
    Plim* engine = new Plim(Plim::Bare{});
    {
    Packet p;
    EXPECT_EQ(p.address.toString(), "0.0.0.0:0");
    NetAddress a(UString("127.0.0.1"), 23006);
    p.doAddress(&a);
    EXPECT_EQ(Bytes(p.buffer, p.cursor), (Bytes{0x01, 0x00, 0x00, 0x7F, 0xDE, 0x59}));
    p.address = a;

    Packet* clone = p.cloneWithPiece(&p, 0, 2);
    EXPECT_EQ(clone->address.toString(), "127.0.0.1:23006");
    p.rewindToRead();
    NetAddress read;
    p.doAddress(&read);
    EXPECT_EQ(stored(read), stored(a));
    p.cursor = p.buffer;
    Packet* slice = p.slice(3);
    EXPECT_EQ(slice->address.toString(), "127.0.0.1:23006");
    Packet joined;
    slice->append(&joined);
    EXPECT_EQ(joined.address.toString(), "127.0.0.1:23006");
    delete slice;
    delete clone;
    }
    delete engine;
    PLIM = nullptr;
}

} // namespace
