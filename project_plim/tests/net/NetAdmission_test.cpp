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
    NetTicket t = admission.issue(CLIENT, NONCE, given);
    EXPECT_TRUE(admission.valid(CLIENT, t, given + NetAdmission::CONFIRM_SECONDS + 2.0));
    EXPECT_FALSE(admission.valid(CLIENT, t, (100 + NetAdmission::LATER_SLOTS + 1) * SLOT));
    NetAddress otherPort = CLIENT;
    otherPort.setPort(5001);
    NetTicket forged[3] = {t, t, t};
    forged[0].id ^= 1;
    forged[1].secret ^= 1;
    forged[2].slot -= 1;
    for (const NetTicket& f : forged)
        EXPECT_FALSE(admission.valid(CLIENT, f, given));
    EXPECT_FALSE(admission.valid(otherPort, t, given));
    NetTicket otherRequest = t;
    otherRequest.nonce += 1;
    EXPECT_FALSE(admission.valid(CLIENT, otherRequest, given));
    EXPECT_NE(admission.issue(CLIENT, NONCE + 1, given).secret, t.secret); // another request, another ticket
    EXPECT_FALSE(NetAdmission().valid(CLIENT, t, given));           // a restarted server's key
}

TEST(NetAdmission, ASpentTicketNeverAdmitsAgainAndIsForgottenWhenItRunsOut) {
    NetAdmission admission;
    double now = 50 * SLOT;
    NetTicket t = admission.issue(CLIENT, NONCE, now);
    ASSERT_TRUE(admission.admits(CLIENT, t, now));
    ASSERT_EQ(admission.spend(CLIENT, t, now), NetAdmission::SPENT);
    EXPECT_FALSE(admission.admits(CLIENT, t, now + 1.0));
    NetTicket guessed = t;
    for (uint64_t guess = 1; guess <= 1000; ++guess) {
        guessed.secret = guess * 0x9E3779B97F4A7C15ull;
        EXPECT_FALSE(admission.admits(CLIENT, guessed, now));
    }
    EXPECT_EQ(admission.spentCount(), 1u); // forgeries take no memory
    now = (50 + NetAdmission::LATER_SLOTS + 1) * SLOT;
    NetTicket fresh = admission.issue(CLIENT, NONCE + 1, now);
    ASSERT_EQ(admission.spend(CLIENT, fresh, now), NetAdmission::SPENT);
    EXPECT_EQ(admission.spentCount(), 1u); // the first ran out and went

    // One address, from any of its ports, spends only its share; the next
    // address has all of its own, until MAX_SPENT are held. Beyond, nobody is
    // admitted, rather than a spent ticket forgotten early.
    auto spendAt = [&](uint32_t ip, uint16_t port) {
        NetAddress at;
        at.set(ip, port);
        return admission.spend(at, admission.issue(at, port, now), now);
    };
    for (uint16_t port = 1; port < NetAdmission::SHARE; ++port)
        ASSERT_EQ(spendAt(CLIENT.getIP(), port), NetAdmission::SPENT);
    EXPECT_EQ(spendAt(CLIENT.getIP(), 9999), NetAdmission::NO_SHARE);
    for (uint32_t n = 0; admission.spentCount() < NetAdmission::MAX_SPENT; ++n)
        ASSERT_EQ(spendAt(0x0B000000u + n / NetAdmission::SHARE, uint16_t(n)), NetAdmission::SPENT);
    EXPECT_EQ(spendAt(0x0C000001u, 1), NetAdmission::NO_ROOM);
    EXPECT_FALSE(admission.admits(CLIENT, fresh, now));
    now += (NetAdmission::LATER_SLOTS + 1) * SLOT; // all run out: the first address has its share again
    EXPECT_EQ(spendAt(CLIENT.getIP(), 9999), NetAdmission::SPENT);
    EXPECT_EQ(admission.spentCount(), 1u);
}

} // namespace
