#include "NetAnswerBudget.h"

#include "serial/Packet.h"
#include "SystemRandom.h"

#include <algorithm>

NetAnswerBudget::NetAnswerBudget() : hash{SystemRandom::next64()}, allowances(0, hash) {}

int NetAnswerBudget::roomFor(const Packet& asked) { return AMPLIFICATION * asked.size; }

size_t NetAnswerBudget::KeyedHash::operator()(uint64_t value) const {
    uint64_t x = (value ^ key) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9ull;
    return size_t(x ^ (x >> 32));
}

bool NetAnswerBudget::Bucket::take(double now, double floor) {
    if (filledAt >= 0.0 && now > filledAt)
        tokens = std::min(double(limit), tokens + (now - filledAt) * rate);
    filledAt = now;
    if (tokens < floor + 1.0)
        return false;
    tokens -= 1.0;
    return true;
}

bool NetAnswerBudget::recalled(const NetAddress& a, double now) {
    if (askers.empty())
        askers.resize(size_t(1) << RECALL_BITS);
    Asker& place = askers[hash(uint64_t(a.getIP()) << 16 | a.getPort()) >> (64 - RECALL_BITS)];
    uint16_t stamp = uint16_t(int64_t(now * STAMPS_PER_SECOND));
    bool returning = place.ip == a.getIP() && place.port == a.getPort() &&
                     uint16_t(stamp - place.stamp) <= uint16_t(RECALL_SECONDS * STAMPS_PER_SECOND);
    place.ip = a.getIP();
    place.port = a.getPort();
    place.stamp = stamp;
    return returning;
}

void NetAnswerBudget::forgetWhole(double now) {
    if (now < forgetAt)
        return;
    forgetAt = now + FORGET_SECONDS;
    for (auto i = allowances.begin(); i != allowances.end();)
        i = i->second.wholeAt(now) ? allowances.erase(i) : std::next(i);
}

bool NetAnswerBudget::take(const NetAddress& to, double now) {
    Bucket& shared = recalled(to, now) ? again : first;
    forgetWhole(now);
    auto held = allowances.find(to.getIP());
    if (held != allowances.end()) {
        // Every request spends the allowance, answered or not: a flood from a
        // few addresses uses up their allowances at once, rather than keeping
        // them to take the shared budget whenever it comes back.
        Bucket& own = held->second;
        if (!own.take(now))
            return false;
        return shared.take(now, own.levelAt(now) < ADDRESS_BURST / 2 ? double(RESERVE) : 0.0);
    }
    if (allowances.size() >= MAX_ADDRESSES || !shared.take(now))
        return false;
    Bucket own(ADDRESS_RATE, ADDRESS_BURST, now);
    own.take(now);
    allowances.emplace(to.getIP(), own);
    return true;
}
