// A server's tickets alone: what they are bound to, how long they hold, and
// that one admits once while memory grows only with admissions.
#include "net/NetAdmission.h"

#include <gtest/gtest.h>

namespace {

const double SLOT = NetAdmission::SLOT_SECONDS;
const NetAddress CLIENT(UString("10.0.0.7"), 5000);
const uint64_t NONCE = 0x0123456789ABCDEFull;

TEST(NetAdmission, ATicketHoldsForItsAddressAndRequestWhileTheClientMayConfirm) {
    NetAdmission admission;
    const double given = 100 * SLOT + 1.9; // late in its slot: the shortest life
    NetAdmission::Ticket t = admission.issue(CLIENT, NONCE, given);
    EXPECT_TRUE(admission.valid(CLIENT, NONCE, t, given + NetAdmission::CONFIRM_SECONDS + 2.0));
    EXPECT_FALSE(admission.valid(CLIENT, NONCE, t, (100 + NetAdmission::LATER_SLOTS + 1) * SLOT));
    NetAddress otherPort = CLIENT;
    otherPort.setPort(5001);
    NetAdmission::Ticket forged[3] = {t, t, t};
    forged[0].id ^= 1;
    forged[1].secret ^= 1;
    forged[2].slot -= 1;
    for (const NetAdmission::Ticket& f : forged)
        EXPECT_FALSE(admission.valid(CLIENT, NONCE, f, given));
    EXPECT_FALSE(admission.valid(otherPort, NONCE, t, given));
    EXPECT_FALSE(admission.valid(CLIENT, NONCE + 1, t, given));
    EXPECT_NE(admission.issue(CLIENT, NONCE + 1, given).secret, t.secret); // another request, another ticket
    EXPECT_FALSE(NetAdmission().valid(CLIENT, NONCE, t, given));           // a restarted server's key
}

TEST(NetAdmission, ASpentTicketNeverAdmitsAgainAndIsForgottenWhenItRunsOut) {
    NetAdmission admission;
    double now = 50 * SLOT;
    NetAdmission::Ticket t = admission.issue(CLIENT, NONCE, now);
    ASSERT_TRUE(admission.admits(CLIENT, NONCE, t, now));
    ASSERT_TRUE(admission.spend(t, now));
    EXPECT_FALSE(admission.admits(CLIENT, NONCE, t, now + 1.0));
    NetAdmission::Ticket guessed = t;
    for (uint64_t guess = 1; guess <= 1000; ++guess) {
        guessed.secret = guess * 0x9E3779B97F4A7C15ull;
        EXPECT_FALSE(admission.admits(CLIENT, NONCE, guessed, now));
    }
    EXPECT_EQ(admission.spentCount(), 1u); // forgeries take no memory
    now = (50 + NetAdmission::LATER_SLOTS + 1) * SLOT;
    NetAdmission::Ticket fresh = admission.issue(CLIENT, NONCE + 1, now);
    ASSERT_TRUE(admission.spend(fresh, now));
    EXPECT_EQ(admission.spentCount(), 1u); // the first ran out and went

    // Beyond the limit nobody is admitted, rather than a spent ticket forgotten early.
    for (uint64_t n = 0; admission.spentCount() < NetAdmission::MAX_SPENT; ++n)
        ASSERT_TRUE(admission.spend(admission.issue(CLIENT, 1000 + n, now), now));
    EXPECT_FALSE(admission.spend(admission.issue(CLIENT, 1, now), now));
    EXPECT_FALSE(admission.admits(CLIENT, NONCE + 1, fresh, now));
}

} // namespace
