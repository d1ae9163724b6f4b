#include "core/StateBase.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Machine : StateBase {
    void onStateChange() override { changes.push_back(state); }
    std::vector<int> changes;
};

} // namespace

TEST(StateBase, ImmediateChangeIgnoresTheStateLastAskedForUnlessForced) {
    Machine m;
    m.setState(0, 0.0, false); // a fresh machine last "asked for" 0
    EXPECT_TRUE(m.changes.empty());
    m.advance(0.0, 1.5);
    m.setState(0, 0.0, true);
    EXPECT_EQ(m.timeInState, 0.0);
    m.setState(3, 0.0, false);
    m.setState(3, 0.0, false);
    m.setState(7, -1.0, false); // negative delay: at once
    EXPECT_EQ(m.changes, (std::vector<int>{0, 3, 7}));
}

TEST(StateBase, DelayedChangeDropsTheOverrun) {
    Machine m;
    m.setState(3, 2.0, false);
    m.advance(0.0, 1.5);
    EXPECT_EQ(m.state, 0);
    EXPECT_DOUBLE_EQ(m.timeInState, 1.5);
    m.advance(0.0, 0.75);
    EXPECT_EQ(m.state, 3);
    EXPECT_EQ(m.timeInState, 0.0);
    m.advance(0.0, 5.0);
    EXPECT_EQ(m.changes, std::vector<int>{3});
}

TEST(StateBase, PendingChangeIsKeptRestartedOrCancelled) {
    Machine kept, forced, cancelled;
    for (Machine* m : {&kept, &forced, &cancelled}) {
        m->setState(3, 2.0, false);
        m->advance(0.0, 1.0);
    }
    kept.setState(3, 5.0, false);
    forced.setState(3, 5.0, true);
    cancelled.setState(4, 0.0, false);
    for (Machine* m : {&kept, &forced, &cancelled})
        m->advance(0.0, 1.0);
    EXPECT_EQ(kept.state, 3);
    EXPECT_EQ(forced.state, 0);
    EXPECT_DOUBLE_EQ(forced.stateLeft, 4.0);
    cancelled.advance(0.0, 5.0);
    EXPECT_EQ(cancelled.changes, std::vector<int>{4});
}
