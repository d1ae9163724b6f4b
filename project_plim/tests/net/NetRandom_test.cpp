// The shared random generator: the MT19937 sequence, draws that do not
// advance it, and the rule that only code running on every side may draw.
#include "ExpectFatal.h"
#include "serial/RPC.h"
#include "serial/RootObjectBase.h"
#include "RoleTestEngine.h"
#include "net/NetRandom.h"
#include "net/NetRole.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class NetRandomTest : public ::testing::Test {
protected:
    void SetUp() override {
        role.reset(new NetRole("Corvana2demo", NetHost::WIRE_VERSION, "peer", 0, true));
        role->bExecutesOnServer = role->bExecutesOnClient = true;
    }
    void TearDown() override {
        role.reset();
        ReplicationRole::current = nullptr;
    }
    RoleTestEngine net;
    std::unique_ptr<NetRole> role;
};

TEST_F(NetRandomTest, ReferenceSequenceAndDrawsThatDoNotAdvance) {
    NetRandom fresh, seeded;
    seeded.seed(5489);
    EXPECT_EQ(fresh.index, NetRandom::UNSEEDED);
    const uint32_t first[] = {3499211612u, 581869302u, 3890346734u};
    for (uint32_t word : first) {
        EXPECT_EQ(fresh.getI(0xFFFFFFFFu), word);
        EXPECT_EQ(seeded.getI(0xFFFFFFFFu), word);
    }
    for (int i = 4; i < 10000; ++i)
        fresh.getI(0xFFFFFFFFu);
    EXPECT_EQ(fresh.getI(0xFFFFFFFFu), 4123659995u);

    // n = 0 and x = 0 draw nothing; n = 1 draws a word and gives 0.
    NetRandom a, b;
    EXPECT_EQ(a.getI(0), 0u);
    EXPECT_EQ(a.getF(0.0f), 0.0f);
    EXPECT_EQ(a.getI(1), 0u);
    EXPECT_EQ(b.getI(1), 0u);
    EXPECT_EQ(a.getI(0xFFFFFFFFu), 581869302u);
    EXPECT_EQ(b.getI(0xFFFFFFFFu), 581869302u);

    // getF scales the word to [0, x).
    NetRandom c;
    float f = c.getF(10.0f);
    EXPECT_FLOAT_EQ(f, static_cast<float>(std::fmod(10.0 * 3499211612.0 / 4294967295.0, 10.0)));
    for (int i = 0; i < 1000; ++i) {
        float g = c.getF(2.5f);
        EXPECT_GE(g, 0.0f);
        EXPECT_LT(g, 2.5f);
    }
}

// Draws from the shared generator on the side that runs it.
struct DrawingCall : RPC {
    explicit DrawingCall(int flags) : RPC(flags) {}
    void call() override { drawn = THEROLE->random.getI(100); }
    uint32_t drawn = 0;
};

TEST_F(NetRandomTest, OnlyCodeRunningOnEverySideDraws) {
    DrawingCall both(RPC::RUNS_ON_SERVER | RPC::RUNS_ON_CLIENT);
    role->bExecutesOnServer = role->bExecutesOnClient = false;
    both.executeLocally();
    EXPECT_EQ(both.drawn, 3499211612u % 100u);
    EXPECT_FATAL(role->random.getI(5), "THEROLE->bExecutesOnServer && THEROLE->bExecutesOnClient");
    EXPECT_FATAL(role->random.getF(1.0f), "Function: getF()");
    DrawingCall serverOnly(RPC::RUNS_ON_SERVER);
    EXPECT_FATAL(serverOnly.executeLocally(), "THEROLE->bExecutesOnServer && THEROLE->bExecutesOnClient");
    ReplicationRole::current = nullptr;
    NetRandom loose;
    EXPECT_FATAL(loose.getI(5), "THEROLE!=NULL");
}

} // namespace
