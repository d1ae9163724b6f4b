#include "NetAnswerBudget.h"

#include "serial/Packet.h"
#include "SystemRandom.h"

#include <algorithm>

NetAnswerBudget::NetAnswerBudget() : key(SystemRandom::next64()) {}

int NetAnswerBudget::roomFor(const Packet& asked) { return AMPLIFICATION * asked.size; }

bool NetAnswerBudget::Bucket::take(double now) {
    if (filledAt >= 0.0 && now > filledAt)
        tokens = std::min(double(RATE), tokens + (now - filledAt) * RATE);
    filledAt = now;
    if (tokens < 1.0)
        return false;
    tokens -= 1.0;
    return true;
}

NetAnswerBudget::Asker& NetAnswerBudget::placeOf(const NetAddress& a) {
    if (askers.empty())
        askers.resize(size_t(1) << RECALL_BITS);
    // Keyed, so that nobody can aim at the place of another's address.
    uint64_t x = ((uint64_t(a.getIP()) << 16 | a.getPort()) ^ key) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return askers[size_t(x >> (64 - RECALL_BITS))];
}

bool NetAnswerBudget::take(const NetAddress& to, double now) {
    Asker& place = placeOf(to);
    uint16_t stamp = uint16_t(int64_t(now * STAMPS_PER_SECOND));
    bool returning = place.ip == to.getIP() && place.port == to.getPort() &&
                     uint16_t(stamp - place.stamp) <= uint16_t(RECALL_SECONDS * STAMPS_PER_SECOND);
    place.ip = to.getIP();
    place.port = to.getPort();
    place.stamp = stamp;
    return returning ? again.take(now) : first.take(now);
}
