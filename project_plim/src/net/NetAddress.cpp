#include "NetAddress.h"

#include "core/ErrorManager.h"
#include "util/PlimUtil.h"

#include <arpa/inet.h>
#include <cctype>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

NetAddress::NetAddress() { clear(); }

NetAddress::NetAddress(const UString& text) {
    clear();
    const char* s = text.c_str();
    const char* colon = strchr(s, ':');
    if (!colon) {
        setBoth(text, 0);
        return;
    }
    UString host = text.substr(0, static_cast<size_t>(colon - s));
    setBoth(host, static_cast<uint16_t>(parseInt(UString(colon + 1))));
}

NetAddress::NetAddress(const UString& host, uint16_t port) {
    clear();
    setBoth(host, port);
}

void NetAddress::clear() {
    memset(bytes, 0, sizeof bytes);
    bytes[1] = FAMILY_INET;
}

void NetAddress::setBoth(const UString& host, uint16_t port) {
    clear();
    if (host == "localhost") {
        set(0x7f000001u, port);
        return;
    }
    addrinfo hints;
    memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        set(0x7f000001u, 0);
        return;
    }
    PLIM_ASSERT(found->ai_family == AF_INET);
    const sockaddr_in* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    set(ntohl(in->sin_addr.s_addr), port);
    freeaddrinfo(found);
}

void NetAddress::set(uint32_t ip, uint16_t port) {
    clear();
    setIP(ip);
    setPort(port);
}

uint32_t NetAddress::getIP() const {
    return uint32_t(bytes[4]) << 24 | uint32_t(bytes[5]) << 16 | uint32_t(bytes[6]) << 8 | bytes[7];
}

void NetAddress::setIP(uint32_t ip) {
    bytes[4] = static_cast<uint8_t>(ip >> 24);
    bytes[5] = static_cast<uint8_t>(ip >> 16);
    bytes[6] = static_cast<uint8_t>(ip >> 8);
    bytes[7] = static_cast<uint8_t>(ip);
}

uint16_t NetAddress::getPort() const { return static_cast<uint16_t>(bytes[2] << 8 | bytes[3]); }

void NetAddress::setPort(uint16_t port) {
    bytes[2] = static_cast<uint8_t>(port >> 8);
    bytes[3] = static_cast<uint8_t>(port);
}

namespace {
// One "%d" as scanf reads it (blanks, a sign, at least one digit), without
// converting, so a number of any length is harmless.
bool scanNumber(const char*& s) {
    while (isspace(static_cast<unsigned char>(*s)))
        ++s;
    if (*s == '+' || *s == '-')
        ++s;
    if (!isdigit(static_cast<unsigned char>(*s)))
        return false;
    while (isdigit(static_cast<unsigned char>(*s)))
        ++s;
    return true;
}
} // namespace

bool NetAddress::isValidString(const char* text) {
    if (!text)
        return false;
    const char* s = text;
    const char separators[] = {'.', '.', '.', ':'};
    for (char separator : separators) {
        if (!scanNumber(s) || *s != separator)
            return false;
        ++s;
    }
    return scanNumber(s);
}

UString NetAddress::toString() const {
    return formatString("%d.%d.%d.%d:%d", bytes[4], bytes[5], bytes[6], bytes[7], getPort());
}

void NetAddress::toSockAddr(sockaddr_in* out) const {
    memset(out, 0, sizeof *out);
    out->sin_family = AF_INET;
    out->sin_port = htons(getPort());
    out->sin_addr.s_addr = htonl(getIP());
}

void NetAddress::fromSockAddr(const sockaddr_in& in) { set(ntohl(in.sin_addr.s_addr), ntohs(in.sin_port)); }
