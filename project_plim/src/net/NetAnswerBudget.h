#pragma once
// What a host may send to addresses that have not shown that they receive:
// accepts, refusals and Retries go to whatever address a datagram claims to
// come from. Each answer stays within a few times the bytes it answers, and
// all of them within a rate, so that beyond it a flood of forged requests
// costs the host no more than junk does. An address and port that ask again
// within a few seconds draw on a second budget: a forger sending from ever
// new addresses spends only the budget of first requests, and an honest
// client repeating its request still gets its answer. Each address (whatever
// its ports) has an allowance of its own besides, spent by every request
// once it has been answered: no address gets more than its allowance
// however many ask in its name, and an address that spends much of it (a
// forger asking again and again from a few addresses, or from ever new ports
// of one) leaves half of either budget to those that ask now and then.
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
        // many a second after those. Whoever asks in a player's name must ask
        // faster than that to keep the player from an answer.
        ADDRESS_BURST = 64,
        ADDRESS_RATE = 64,
        // What an address that has spent half its allowance or more may not
        // take of either budget: kept for those that ask now and then (a
        // newcomer asking again), however many addresses flood it.
        RESERVE = RATE / 2,
        // Addresses whose allowance is not whole, held at most (about 5 MB);
        // a new address gets no answer while that many are held. Keeping one
        // held takes ADDRESS_RATE requests a second from it.
        MAX_ADDRESSES = 1 << 16,
        // The addresses and ports that asked, 2^RECALL_BITS of them at most
        // (8 bytes each, 2 MB): under 50,000 new ones a second one stays 5 s
        // on average, and an honest client's stays until it asks again a
        // quarter of a second later 95 times in a hundred.
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
