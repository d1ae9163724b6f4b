// A server's tickets alone: what they are bound to, how long they hold, and
// that one admits once while memory grows only with admissions.
#include "net/NetAdmission.h"

#include <gtest/gtest.h>

namespace {

typedef NetAdmission::Ticket Ticket;

const double SLOT = NetAdmission::SLOT_SECONDS;
const NetAddress CLIENT(UString("10.0.0.7"), 5000);
const uint64_t NONCE = 0x0123456789ABCDEFull;

TEST(NetAdmission, ATicketHoldsForItsAddressAndRequestUntilItsSlotsRunOut) {
    NetAdmission admission;
    const double given = 100 * SLOT + 1.9; // late in its slot: the shortest life
    Ticket t = admission.issue(CLIENT, NONCE, given);
    EXPECT_NE(t.id, uint32_t(0xFEFDFCFBu));
    for (double later : {0.0, NetAdmission::CONFIRM_SECONDS + 2.0, (NetAdmission::LATER_SLOTS + 1) * SLOT - 1.9 - 1e-6})
        EXPECT_TRUE(admission.valid(CLIENT, NONCE, t, given + later)) << later;
    EXPECT_FALSE(admission.valid(CLIENT, NONCE, t, (100 + NetAdmission::LATER_SLOTS + 1) * SLOT));
    EXPECT_FALSE(admission.valid(CLIENT, NONCE, t, 100 * SLOT - 0.1)); // from a slot not yet begun

    NetAddress otherPort = CLIENT, otherIP = CLIENT;
    otherPort.setPort(5001);
    otherIP.setIP(CLIENT.getIP() + 1);
    Ticket wrongId = t, wrongSecret = t, wrongSlot = t;
    wrongId.id ^= 1;
    wrongSecret.secret ^= 1;
    wrongSlot.slot -= 1;
    EXPECT_FALSE(admission.valid(otherPort, NONCE, t, given));
    EXPECT_FALSE(admission.valid(otherIP, NONCE, t, given));
    EXPECT_FALSE(admission.valid(CLIENT, NONCE + 1, t, given));
    for (const Ticket& forged : {wrongId, wrongSecret, wrongSlot})
        EXPECT_FALSE(admission.valid(CLIENT, NONCE, forged, given));
    // Another request from the same address in the same slot gets another ticket.
    Ticket again = admission.issue(CLIENT, NONCE + 1, given);
    EXPECT_NE(again.secret, t.secret);
    EXPECT_NE(again.id, t.id);
    // A server that restarted drew another key.
    EXPECT_FALSE(NetAdmission().valid(CLIENT, NONCE, t, given));
}

TEST(NetAdmission, ASpentTicketNeverAdmitsAgainAndIsForgottenWhenItRunsOut) {
    NetAdmission admission;
    double now = 50 * SLOT;
    Ticket t = admission.issue(CLIENT, NONCE, now);
    EXPECT_TRUE(admission.admits(CLIENT, NONCE, t, now));
    ASSERT_TRUE(admission.spend(t, now));
    EXPECT_TRUE(admission.spend(t, now)); // once is remembered once
    EXPECT_EQ(admission.spentCount(), 1u);
    EXPECT_FALSE(admission.admits(CLIENT, NONCE, t, now + 1.0));
    EXPECT_TRUE(admission.admits(CLIENT, NONCE + 1, admission.issue(CLIENT, NONCE + 1, now + 1.0), now + 1.0));
    // Forged tickets take no memory.
    for (uint64_t guess = 1; guess <= 1000; ++guess) {
        Ticket forged = t;
        forged.secret = guess * 0x9E3779B97F4A7C15ull;
        EXPECT_FALSE(admission.admits(CLIENT, NONCE, forged, now));
    }
    EXPECT_EQ(admission.spentCount(), 1u);
    now = (50 + NetAdmission::LATER_SLOTS + 1) * SLOT;
    EXPECT_FALSE(admission.admits(CLIENT, NONCE, t, now));
    Ticket fresh = admission.issue(CLIENT, NONCE + 2, now);
    ASSERT_TRUE(admission.spend(fresh, now));
    EXPECT_EQ(admission.spentCount(), 1u); // the first one ran out and went

    // Beyond the limit nobody is admitted rather than a spent ticket forgotten early.
    for (uint64_t n = 0; admission.spentCount() < NetAdmission::MAX_SPENT; ++n)
        ASSERT_TRUE(admission.spend(admission.issue(CLIENT, 1000 + n, now), now));
    EXPECT_FALSE(admission.spend(admission.issue(CLIENT, 1, now), now));
    EXPECT_FALSE(admission.admits(CLIENT, NONCE + 2, fresh, now));
    EXPECT_EQ(admission.spentCount(), size_t(NetAdmission::MAX_SPENT));
}

} // namespace
