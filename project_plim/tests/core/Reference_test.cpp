#include "input/Event.h"
#include "input/EventManager.h"
#include "core/Plim.h"
#include "core/PlimBase.h"
#include "core/Reference.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Owners append every event they are handed to one shared record.
struct Owner : PlimBase {
    explicit Owner(std::vector<Event>* seen) : seen(seen) {}
    bool onEvent(Event* e) override {
        // By the time the owner hears of it the reference is already empty.
        if (e->type == EVENT_REFERENCE_CLEARED) {
            EXPECT_EQ(e->reference->target, nullptr);
        }
        seen->push_back(*e);
        return true;
    }
    std::vector<Event>* seen;
};

class ReferenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = new Plim(Plim::Bare{});
        engine->eventManager = events = new EventManager();
    }
    void TearDown() override {
        engine->eventManager = nullptr;
        delete events;
        delete engine;
        PLIM = nullptr;
    }
    static std::vector<BasicLink*> referencesTo(PlimBase* o) {
        std::vector<BasicLink*> out;
        for (BasicLink* l = o->references.firstChild; l; l = l->next)
            out.push_back(l);
        return out;
    }

    Plim* engine = nullptr;
    EventManager* events = nullptr;
    std::vector<Event> seen;
};

} // namespace

TEST_F(ReferenceTest, RetargetingMovesToEndOfNewListSilently) {
    Owner owner(&seen);
    PlimBase a, b;
    Reference<PlimBase> r1(&owner), r2(&owner), empty(&owner);
    r1.set(&a);
    r2.set(&b);
    r1.set(&b);
    EXPECT_TRUE(referencesTo(&a).empty());
    EXPECT_EQ(referencesTo(&b), (std::vector<BasicLink*>{&r2, &r1}));
    r2.set(&b); // the same target again: to the end
    EXPECT_EQ(referencesTo(&b), (std::vector<BasicLink*>{&r1, &r2}));
    EXPECT_EQ(r1.get(), &b);
    empty.set(nullptr);
    EXPECT_TRUE(seen.empty());
    r1.set(nullptr);
    r2.set(nullptr);
}

TEST_F(ReferenceTest, DyingTargetClearsReferencesInOrderOfSetting) {
    Owner o1(&seen), o2(&seen), o3(&seen);
    Reference<PlimBase> r1(&o1), r2(&o2), r3(&o3), silent(nullptr);
    PlimBase* target = new PlimBase();
    r2.set(target);
    silent.set(target); // no owner: cleared without a word
    r3.set(target);
    r1.set(target);
    target->deleteMe();

    EXPECT_EQ(r1.get(), nullptr);
    EXPECT_EQ(silent.get(), nullptr);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].reference, &r2);
    EXPECT_EQ(seen[1].reference, &r3);
    EXPECT_EQ(seen[2].reference, &r1);
    const Event& e = seen[0];
    EXPECT_EQ(e.type, EVENT_REFERENCE_CLEARED);
    EXPECT_EQ(e.sender, nullptr);
    EXPECT_EQ(e.target, &o2);
    EXPECT_EQ(e.manager, events);
    EXPECT_EQ(e.other, nullptr);
}

TEST_F(ReferenceTest, DestroyedReferenceLeavesTargetListAndTellsOwner) {
    struct Holder : PlimBase {
        Reference<PlimBase> ref{this};
    };
    Owner owner(&seen);
    PlimBase target;
    Holder* holder = new Holder();
    Reference<PlimBase>* temp = new Reference<PlimBase>(&owner);
    holder->ref.set(&target);
    temp->set(&target);
    delete temp;
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].target, &owner);
    EXPECT_EQ(referencesTo(&target), std::vector<BasicLink*>{&holder->ref});
    delete holder;
    EXPECT_TRUE(referencesTo(&target).empty());
}

TEST_F(ReferenceTest, DyingNoticeSkipsFlaggedReferencesAndKeepsThemSet) {
    Owner o1(&seen), o2(&seen);
    PlimBase target;
    Reference<PlimBase> r1(&o1), r2(&o2);
    r1.set(&target);
    r2.set(&target);
    r2.bSkip = true;
    target.notifyReferencesDying();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].type, EVENT_REFERENCE_DYING);
    EXPECT_EQ(seen[0].sender, &target);
    EXPECT_EQ(seen[0].target, &o1);
    EXPECT_EQ(r1.get(), &target);
    r1.set(nullptr);
    r2.set(nullptr);
}

TEST_F(ReferenceTest, WithoutEventManagerReferencesStillClear) {
    engine->eventManager = nullptr;
    Owner owner(&seen);
    Reference<PlimBase> r(&owner);
    PlimBase* target = new PlimBase();
    r.set(target);
    delete target;
    EXPECT_EQ(r.get(), nullptr);
    EXPECT_TRUE(seen.empty());
}
