#pragma once
// What a host may send to addresses that have not shown that they receive:
// accepts, refusals and Retries go to whatever address a datagram claims to
// come from. Each answer stays within a few times the bytes it answers, and
// all of them within a rate, so that beyond it a flood of forged requests
// costs the host no more than junk does. An address and port that ask again
// within a few seconds draw on a second budget: a forger sending from ever
// new addresses spends only the budget of first requests, and an honest
// client repeating its request still gets its answer; a sender asking again
// and again from the same ports spends only the second, and a new client
// gets its first answer.
#include "NetAddress.h"

#include <cstdint>
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
        // The addresses and ports that asked, 2^RECALL_BITS of them at most
        // (8 bytes each, 2 MB): under 50,000 new ones a second one stays 5 s
        // on average, and an honest client's stays until it asks again 0.5 s
        // later nine times in ten.
        RECALL_BITS = 18
    };
    // An address that asked within this long before asks again.
    static constexpr double RECALL_SECONDS = 2.0;

    NetAnswerBudget();

    // The bytes an answer to that datagram may take.
    static int roomFor(const Packet& asked);
    // Whether an answer may go to that address now; it is taken from the budget if so.
    bool take(const NetAddress& to, double now);

private:
    class Bucket {
    public:
        bool take(double now);

    private:
        double tokens = RATE;
        double filledAt = -1.0;
    };
    // Who asked last at a place of the table, and when (in STAMPS_PER_SECOND, wrapping).
    struct Asker {
        uint32_t ip = 0;
        uint16_t port = 0;
        uint16_t stamp = 0;
    };
    enum { STAMPS_PER_SECOND = 16 };
    uint64_t key;
    // Made at the first answer: only a server that is asked needs it.
    std::vector<Asker> askers;
    Bucket first, again;

    Asker& placeOf(const NetAddress& a);
};
