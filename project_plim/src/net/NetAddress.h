#pragma once
// One IPv4 endpoint, kept as the 16 bytes of the stored form: a length byte
// (0), the family (2), the port and the address in network order, then eight
// zero bytes. It is converted field by field to the platform's sockaddr_in at
// the socket, so the stored form stays the same on every platform.
#include "util/UString.h"

#include <cstdint>

struct sockaddr_in;

class NetAddress {
public:
    enum { FAMILY_INET = 2, STORED_SIZE = 16 };

    // 0.0.0.0 port 0.
    NetAddress();
    // "host:port"; without a colon the port is 0.
    explicit NetAddress(const UString& text);
    NetAddress(const UString& host, uint16_t port);

    // Resolves the host ("localhost" is taken as 127.0.0.1 without a lookup);
    // a name that does not resolve gives 127.0.0.1 port 0.
    void setBoth(const UString& host, uint16_t port);
    // Both in host order.
    void set(uint32_t ip, uint16_t port);

    uint32_t getIP() const;
    void setIP(uint32_t ip);
    uint16_t getPort() const;
    void setPort(uint16_t port);

    // True when the text has the shape "%d.%d.%d.%d:%d"; the numbers are not
    // range-checked.
    static bool isValidString(const char* text);
    UString toString() const;

    void toSockAddr(sockaddr_in* out) const;
    void fromSockAddr(const sockaddr_in& in);

    // Same IP number and port; the other bytes take no part.
    bool sameEndpoint(const NetAddress& other) const {
        return getIP() == other.getIP() && getPort() == other.getPort();
    }

    uint8_t bytes[STORED_SIZE];

private:
    void clear();
};

static_assert(sizeof(NetAddress) == 16, "a NetAddress is stored as 16 bytes");
