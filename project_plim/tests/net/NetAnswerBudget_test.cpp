// The answer budget alone, on a clock of our own: what one address gets
// whatever its ports, and that floods from fresh addresses and from a few at
// once leave an honest client's repeated request its answer.
#include "net/NetAnswerBudget.h"
#include "net/NetHost.h"
#include "FixedDraws.h"

#include <gtest/gtest.h>

namespace {

const int BURST = NetAnswerBudget::ADDRESS_BURST, PER_SECOND = NetAnswerBudget::ADDRESS_RATE;

NetAddress at(uint32_t ip, uint16_t port) {
    NetAddress a;
    a.set(ip, port);
    return a;
}

TEST(NetAnswerBudget, OneAddressGetsItsBurstThenItsRateWhateverItsPortsAndLeavesAClientOfItsAnswersBelowThat) {
    NetAnswerBudget budget;
    const uint32_t forger = 0x0A000001u;
    auto answered = [&](double now, int asks) {
        int n = 0;
        for (int port = 1; port <= asks; ++port)
            n += budget.take(at(forger, uint16_t(port)), now);
        return n;
    };
    EXPECT_EQ(answered(100.0, 500), BURST);
    EXPECT_TRUE(budget.take(at(forger + 1, 1), 100.0)); // another address
    EXPECT_EQ(answered(100.5, 500), PER_SECOND / 2);
    EXPECT_EQ(answered(101.0, 500), PER_SECOND / 2); // the sweep at 101 keeps what is partly spent
    EXPECT_EQ(answered(101.5, 500), PER_SECOND / 2);
    EXPECT_EQ(answered(120.0, 500), BURST); // whole again
    EXPECT_EQ(budget.heldAddresses(), 1u);  // the other address was forgotten
    // 48 requests a second in its name from many ports leave a client of that address every answer.
    int client = 0;
    for (int step = 0; step < 500; ++step) {
        if (step % 100 < 48)
            budget.take(at(forger, uint16_t(1000 + step)), 200.0 + step / 100.0);
        if (step >= 100 && step % 25 == 0)
            client += budget.take(at(forger, 6000), 200.0 + step / 100.0);
    }
    EXPECT_EQ(client, 16);
}

TEST(NetAnswerBudget, AnHonestRepeatIsAnsweredUnderFreshAddressesAndAFewFixedOnesAtOnce) {
    // Once in twenty the fresh addresses push the honest one out of the table
    // of askers by chance (RECALL_BITS): the key is fixed, so that the case
    // tests the budgets, not that chance.
    fixedDraws = true;
    NetAnswerBudget budget;
    fixedDraws = false;
    const int FIXED = 100, STEPS_PER_SECOND = 100, SECONDS = 5;
    const uint32_t honest = 0x0B000001u;
    std::vector<int> toFixed(FIXED, 0);
    uint32_t fresh = 0x0C000000u;
    bool repeatAnswered = false;
    for (int step = 0; step < SECONDS * STEPS_PER_SECOND; ++step) {
        double now = 10.0 + double(step) / STEPS_PER_SECOND;
        // 50,000 a second of each flood
        for (int i = 0; i < 500; ++i) {
            budget.take(at(++fresh, 5000), now);
            toFixed[size_t(i % FIXED)] += budget.take(at(0x0D000000u + uint32_t(i % FIXED), 7000), now);
        }
        // After the floods' share: the first request finds that budget spent, its repeat is answered.
        if (step == 2 * STEPS_PER_SECOND) {
            EXPECT_FALSE(budget.take(at(honest, 6000), now));
        }
        // The repeat, as the owners send it.
        if (step == 2 * STEPS_PER_SECOND + int(NetHost::CONNECT_INTERVAL * STEPS_PER_SECOND))
            repeatAnswered = budget.take(at(honest, 6000), now);
    }
    EXPECT_TRUE(repeatAnswered);
    for (int n : toFixed)
        EXPECT_LE(n, BURST + PER_SECOND * SECONDS);
    // A fresh address is whole again a quarter of a second after its answer, and forgotten within a second.
    EXPECT_LE(budget.heldAddresses(), size_t(FIXED + 3 * NetAnswerBudget::RATE));
}

// Addresses kept from whole (each asks just before every sweep) until the
// table holds as many as it may: then a new one gets no answer.
TEST(NetAnswerBudget, HoldsNoMoreAddressesThanItsBound) {
    NetAnswerBudget budget;
    const uint32_t FIRST = 0x0E000000u;
    uint32_t next = FIRST;
    int second = 1;
    budget.take(at(1, 1), 0.0); // the first sweep
    for (; budget.heldAddresses() < 65536u && second < 100; ++second) {
        const double now = second - 0.01;
        while (budget.take(at(next, 1), now) || budget.take(at(next, 1), now)) // either budget
            ++next;
        for (uint32_t ip = FIRST; ip < next; ++ip)
            budget.take(at(ip, 1), now);
        budget.take(at(1, 1), second); // the sweep
    }
    EXPECT_EQ(budget.heldAddresses(), 65536u);
    EXPECT_FALSE(budget.take(at(next, 2), second - 0.01) || budget.take(at(next, 2), second - 0.01));
}

} // namespace
