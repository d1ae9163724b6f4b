#pragma once
// A server's admission, with nothing kept per connect request: an accept
// gives the client a ticket whose identifier and secret are a keyed hash of
// its address, its request's nonce and the time slot, so that its
// confirmation can be checked later without having been stored. A ticket
// that admitted a client is remembered until it runs out and admits nobody
// again; only admissions take memory, never what arrives from outside.
#include "NetAddress.h"

#include <cstdint>
#include <functional>
#include <queue>
#include <unordered_set>
#include <utility>
#include <vector>

class NetAdmission {
public:
    struct Ticket {
        uint32_t slot = 0; // when it was given, in slots of SLOT_SECONDS
        uint32_t id = 0;
        uint64_t secret = 0;
    };
    enum {
        // A ticket holds in the slot it was given and this many after it.
        LATER_SLOTS = 5,
        // Tickets remembered as spent at most; beyond, nobody is admitted
        // until some run out (a spent ticket must never admit again).
        MAX_SPENT = 4096
    };
    static constexpr double SLOT_SECONDS = 2.0;
    // How long after its accept a client may confirm: the ticket still holds
    // by then, with a round trip of up to two seconds to spare.
    static constexpr double CONFIRM_SECONDS = LATER_SLOTS * SLOT_SECONDS - 2.0;

    // Draws the key: a server that restarts voids every ticket it gave.
    NetAdmission();

    Ticket issue(const NetAddress& to, uint64_t nonce, double now) const;
    // Whether the ticket is the one given to that address for that request
    // and still holds now.
    bool valid(const NetAddress& from, uint64_t nonce, const Ticket& ticket, double now) const;
    // Valid and not spent yet.
    bool admits(const NetAddress& from, uint64_t nonce, const Ticket& ticket, double now);
    // Remembers a ticket that admitted a client until it runs out; false,
    // and nothing remembered, when MAX_SPENT tickets are held already.
    bool spend(const Ticket& ticket, double now);
    size_t spentCount() const { return spent.size(); }

private:
    typedef std::pair<double, uint64_t> Expiry; // when, which secret
    uint64_t key[2];
    std::unordered_set<uint64_t> spent;
    std::priority_queue<Expiry, std::vector<Expiry>, std::greater<Expiry>> expiries;

    static uint32_t slotAt(double now);
    static double endOf(const Ticket& ticket);
    Ticket ticketFor(const NetAddress& address, uint64_t nonce, uint32_t slot) const;
    void forgetExpired(double now);
};
