#include "NetAdmission.h"

#include "SipHash.h"
#include "SystemRandom.h"
#include "Node.h"

#include <cstring>

namespace {
// What the hash takes: address, port, nonce, slot and which half of the ticket.
enum { INPUT_BYTES = 4 + 2 + 8 + 4 + 1, PURPOSE_AT = INPUT_BYTES - 1 };
enum : uint8_t { FOR_SECRET = 0, FOR_ID = 1 };
} // namespace

NetAdmission::NetAdmission() { SystemRandom::fill(key, sizeof key); }

uint32_t NetAdmission::slotAt(double now) { return uint32_t(now / SLOT_SECONDS); }

double NetAdmission::endOf(const NetTicket& ticket) { return (double(ticket.slot) + LATER_SLOTS + 1) * SLOT_SECONDS; }

NetTicket NetAdmission::ticketFor(const NetAddress& address, uint64_t nonce, uint32_t slot) const {
    uint8_t input[INPUT_BYTES];
    uint32_t ip = address.getIP();
    uint16_t port = address.getPort();
    memcpy(input, &ip, 4);
    memcpy(input + 4, &port, 2);
    memcpy(input + 6, &nonce, 8);
    memcpy(input + 14, &slot, 4);
    NetTicket ticket;
    ticket.slot = slot;
    ticket.nonce = nonce;
    input[PURPOSE_AT] = FOR_SECRET;
    ticket.secret = SipHash::hash(key, input, sizeof input);
    input[PURPOSE_AT] = FOR_ID;
    ticket.id = uint32_t(SipHash::hash(key, input, sizeof input));
    if (ticket.id == Node::CONNECTION_MARKER)
        ticket.id ^= 1;
    return ticket;
}

NetTicket NetAdmission::issue(const NetAddress& to, uint64_t nonce, double now) const {
    return ticketFor(to, nonce, slotAt(now));
}

bool NetAdmission::valid(const NetAddress& from, const NetTicket& ticket, double now) const {
    // The slot first: a ticket out of time costs no hash.
    uint32_t slot = slotAt(now);
    if (ticket.slot > slot || slot - ticket.slot > LATER_SLOTS)
        return false;
    NetTicket expected = ticketFor(from, ticket.nonce, ticket.slot);
    return expected.secret == ticket.secret && expected.id == ticket.id;
}

bool NetAdmission::admits(const NetAddress& from, const NetTicket& ticket, double now) {
    if (!valid(from, ticket, now))
        return false;
    forgetExpired(now);
    return spent.count(ticket.secret) == 0;
}

NetAdmission::Spend NetAdmission::spend(const NetAddress& from, const NetTicket& ticket, double now) {
    forgetExpired(now);
    if (spent.count(ticket.secret))
        return SPENT;
    uint32_t ip = from.getIP();
    auto held = spentBy.find(ip);
    if (held != spentBy.end() && held->second >= SHARE)
        return NO_SHARE;
    if (spent.size() >= MAX_SPENT)
        return NO_ROOM;
    spent.insert(ticket.secret);
    ++spentBy[ip];
    expiries.push(Expiry{endOf(ticket), ticket.secret, ip});
    return SPENT;
}

void NetAdmission::forgetExpired(double now) {
    while (!expiries.empty() && expiries.top().when <= now) {
        const Expiry& e = expiries.top();
        spent.erase(e.secret);
        auto held = spentBy.find(e.ip);
        if (held != spentBy.end() && --held->second <= 0)
            spentBy.erase(held);
        expiries.pop();
    }
}
