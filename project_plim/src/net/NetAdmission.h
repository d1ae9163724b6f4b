#pragma once
// A server's admission, with nothing kept per connect request: an accept
// gives the client a ticket whose identifier and secret are a keyed hash of
// its address, its request's nonce and the time slot, so that its
// confirmation can be checked later without having been stored. A ticket
// that admitted a client is remembered until it runs out and admits nobody
// again; only admissions take memory, never what arrives from outside. Each
// address (whatever its ports) holds at most its share of the remembered
// tickets, so one that joins and leaves without end keeps no other out.
#include "NetAddress.h"
#include "NetTicket.h"

#include <cstdint>
#include <functional>
#include <queue>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class NetAdmission {
public:
    enum {
        // A ticket holds in the slot it was given and this many after it.
        LATER_SLOTS = 5,
        // Tickets one address may have spent within a ticket's life: room for
        // a full server's worth of players behind one router.
        SHARE = 64,
        // Tickets remembered as spent at most: 1,024 addresses' whole shares.
        // A spent ticket must never admit again, so beyond this nobody is
        // admitted until some run out.
        MAX_SPENT = 1024 * SHARE
    };
    enum Spend { SPENT, NO_SHARE, NO_ROOM };
    static constexpr double SLOT_SECONDS = 2.0;
    // How long after its accept a client may confirm: the ticket still holds
    // by then, with a round trip of up to two seconds to spare.
    static constexpr double CONFIRM_SECONDS = LATER_SLOTS * SLOT_SECONDS - 2.0;

    // Draws the key: a server that restarts voids every ticket it gave.
    NetAdmission();

    NetTicket issue(const NetAddress& to, uint64_t nonce, double now) const;
    // Whether the ticket is the one given to that address for its request
    // and still holds now.
    bool valid(const NetAddress& from, const NetTicket& ticket, double now) const;
    // Valid and not spent yet.
    bool admits(const NetAddress& from, const NetTicket& ticket, double now);
    // Remembers a ticket that admitted a client at that address until it
    // runs out; nothing is remembered when the address has spent its share
    // or MAX_SPENT tickets are held.
    Spend spend(const NetAddress& from, const NetTicket& ticket, double now);
    size_t spentCount() const { return spent.size(); }

private:
    struct Expiry {
        double when;
        uint64_t secret;
        uint32_t ip;
        bool operator>(const Expiry& other) const { return when > other.when; }
    };
    uint64_t key[2];
    std::unordered_set<uint64_t> spent;
    // Tickets spent by each address, for the addresses that hold any.
    std::unordered_map<uint32_t, int> spentBy;
    std::priority_queue<Expiry, std::vector<Expiry>, std::greater<Expiry>> expiries;

    static uint32_t slotAt(double now);
    static double endOf(const NetTicket& ticket);
    NetTicket ticketFor(const NetAddress& address, uint64_t nonce, uint32_t slot) const;
    void forgetExpired(double now);
};
