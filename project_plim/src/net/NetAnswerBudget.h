#pragma once
// What a host may send to addresses that have not shown that they receive:
// accepts, refusals and Retries go to whatever address a datagram claims to
// come from. Each answer stays within a few times the bytes it answers, and
// all of them within two budgets of RATE a second: one for first requests,
// one for an address and port that asks again within RECALL_SECONDS (a
// newcomer whose first request went unanswered). Each address (whatever its
// ports) has an allowance of its own besides, spent by every request once it
// has been answered: no address gets more than ADDRESS_BURST answers at once
// and ADDRESS_RATE a second after them, however many ask in its name.
//
// What that holds, and where it ends (server held to a quarter of a core, 20
// newcomers, floods of 50,000 forged connect requests a second each; joins
// median and longest, bench/net_flood_joins.py):
// - A flood from ever new addresses spends only the first budget: a newcomer
//   is answered when it asks again (0.27-0.28 s, at most 0.55 s).
// - An address that has spent half its allowance takes nothing of either
//   budget's last half (RESERVE): beside such a flood, one from up to 500
//   fixed addresses or from ever new ports of one address still left
//   newcomers their answer (0.27-0.30 s, at most 0.56 s).
// - That ends where the flood's addresses each ask ADDRESS_RATE times a
//   second or less: at 50,000 a second, from more than 781 addresses. Nor is
//   an address asking r times a second held back before it has spent half
//   its allowance, 32 / (r - ADDRESS_RATE) seconds on (750 addresses: 12 s;
//   newcomers waited 3-5 s in that time, none after 20 s). Beside a flood
//   from new addresses both budgets are then spent: with 800 to 5,000
//   addresses newcomers waited 1-30 s (median), and up to 15 of 20 gave up
//   after 30 s.
// - Alone, a flood from fixed addresses spends only the second budget until
//   it comes from so many that the table of askers (RECALL_BITS) loses them
//   to one another and counts their requests as first ones: from about 10,000
//   addresses some newcomers waited 13-30 s (70,000: median 1-11 s).
// - Forged requests in a player's own address spend that player's allowance:
//   at 100 a second its join took 0.35 s (at most 4.6 s), at 1,000 4-8 s (at
//   most 29 s), and at 50,000 16 of 40 gave up after 30 s.
#include "NetAddress.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class Packet;

class NetAnswerBudget {
public:
    enum {
        // An answer takes at most this many times the bytes of the datagram it answers.
        AMPLIFICATION = 3,
        // Answers a second to first requests, and as many to repeated ones;
        // up to a second's worth may go at once.
        RATE = 1000,
        // Answers to one address at once: a full server's worth of players
        // behind one router (as many as one address may be admitted), and as
        // many a second after those. Whoever asks in a player's name faster
        // than that delays the player's answer (see above).
        ADDRESS_BURST = 64,
        ADDRESS_RATE = 64,
        // What an address that has spent half its allowance or more may not
        // take of either budget: kept for those that ask now and then (a
        // newcomer asking again), from floods whose addresses each ask more
        // than ADDRESS_RATE a second (see above for where that ends).
        RESERVE = RATE / 2,
        // Addresses whose allowance is not whole, held at most (about 5 MB);
        // a new address gets no answer while that many are held. Keeping one
        // held takes ADDRESS_RATE requests a second from it.
        MAX_ADDRESSES = 1 << 16,
        // The addresses and ports that asked, 2^RECALL_BITS of them at most
        // (8 bytes each, 2 MB): under 50,000 new ones a second one stays 5 s
        // on average, and an honest client's stays until it asks again a
        // quarter of a second later 95 times in a hundred. Addresses that
        // share a place push each other out and ask as if for the first time.
        RECALL_BITS = 18
    };
    // An address that asked within this long before asks again.
    static constexpr double RECALL_SECONDS = 2.0;
    // Whole allowances are forgotten this often.
    static constexpr double FORGET_SECONDS = 1.0;

    NetAnswerBudget();

    // The bytes an answer to that datagram may take.
    static int roomFor(const Packet& asked);
    // Whether an answer may go to that address now; it is taken from the budget if so.
    bool take(const NetAddress& to, double now);
    // The addresses whose allowance is held.
    size_t heldAddresses() const { return allowances.size(); }

private:
    // Tokens that come back at a rate, up to a limit.
    class Bucket {
    public:
        Bucket(double rate, double limit, double now = -1.0) : tokens(limit), filledAt(now), rate(rate), limit(limit) {}
        // Keeps at least floor tokens.
        bool take(double now, double floor = 0.0);
        double levelAt(double now) const { return std::min(double(limit), tokens + (now - filledAt) * rate); }
        bool wholeAt(double now) const { return levelAt(now) >= limit; }

    private:
        double tokens;
        double filledAt;
        float rate, limit;
    };
    // Who asked last at a place of the table, and when (in STAMPS_PER_SECOND, wrapping).
    struct Asker {
        uint32_t ip = 0;
        uint16_t port = 0;
        uint16_t stamp = 0;
    };
    enum { STAMPS_PER_SECOND = 16 };
    // Keyed, so that nobody can aim at the place of another's address.
    struct KeyedHash {
        uint64_t key;
        size_t operator()(uint64_t value) const;
    };
    KeyedHash hash;
    // Made at the first answer: only a server that is asked needs it.
    std::vector<Asker> askers;
    Bucket first{RATE, RATE}, again{RATE, RATE};
    // The allowances of the addresses answered that are not whole again.
    std::unordered_map<uint32_t, Bucket, KeyedHash> allowances;
    double forgetAt = 0.0;

    // Whether that address and port asked within RECALL_SECONDS; it is recalled as asking now.
    bool recalled(const NetAddress& a, double now);
    void forgetWhole(double now);
};
