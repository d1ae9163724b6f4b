#include "core/BasicLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Node : BasicLink {
    Node(std::vector<std::string>* log, std::string name) : log(log), name(std::move(name)) {}
    ~Node() override { log->push_back(name); }
    std::vector<std::string>* log;
    std::string name;
};

// The children, checking the links in both directions on the way.
std::vector<BasicLink*> children(const BasicLink& n) {
    std::vector<BasicLink*> out;
    BasicLink* prev = nullptr;
    for (BasicLink* c = n.firstChild; c; prev = c, c = c->next) {
        EXPECT_EQ(c->prev, prev);
        EXPECT_EQ(c->parent, &n);
        out.push_back(c);
    }
    EXPECT_EQ(n.lastChild, prev);
    return out;
}

} // namespace

TEST(BasicLink, LinkingAndUnlinking) {
    BasicLink root, other, a, b, c, d;
    EXPECT_EQ(root.getChild(0), nullptr);
    root.insertChildAfter(&a, nullptr); // empty node: the only child
    EXPECT_EQ(a.prev, nullptr);
    EXPECT_EQ(a.next, nullptr);
    root.addChildFirst(&b);        // b a
    root.insertChildAfter(&c, &a); // behind the last: the new last
    root.insertChildAfter(&d, &b); // b d a c
    EXPECT_EQ(children(root), (std::vector<BasicLink*>{&b, &d, &a, &c}));
    EXPECT_EQ(root.getChild(-1), &b);
    EXPECT_EQ(root.getChild(3), &c);
    EXPECT_EQ(root.getChild(4), nullptr);

    root.removeChild(&d);
    other.addChild(&d); // sibling links set anew
    EXPECT_EQ(d.prev, nullptr);
    EXPECT_EQ(d.next, nullptr);
    root.removeChild(&b);
    root.removeChild(&c);
    EXPECT_EQ(children(root), std::vector<BasicLink*>{&a});
    root.removeChild(&a); // the only child
    EXPECT_EQ(root.firstChild, nullptr);
    EXPECT_EQ(root.lastChild, nullptr);
    EXPECT_EQ(a.parent, nullptr);
    other.removeChild(&d);
}

TEST(BasicLink, DestroyingTakesSubtreeLastChildFirst) {
    std::vector<std::string> log;
    BasicLink holder, sibling;
    Node* p = new Node(&log, "p");
    Node* c1 = new Node(&log, "c1");
    Node* c2 = new Node(&log, "c2");
    p->addChild(c1);
    p->addChild(c2);
    c1->addChild(new Node(&log, "g11"));
    c1->addChild(new Node(&log, "g12"));
    c2->addChild(new Node(&log, "g21"));
    holder.addChild(&sibling);
    holder.addChild(p);

    p->deleteMe();
    // Each node logs as its destruction starts, before its own children go.
    EXPECT_EQ(log, (std::vector<std::string>{"p", "c2", "g21", "c1", "g12", "g11"}));
    EXPECT_EQ(children(holder), std::vector<BasicLink*>{&sibling});
    holder.removeChild(&sibling);
    BasicLink::deleteIfSet(nullptr);
}

TEST(BasicLink, DeleteChildrenAndSkipFlags) {
    std::vector<std::string> log;
    BasicLink root;
    Node* a = new Node(&log, "a");
    Node* b = new Node(&log, "b");
    root.addChild(a);
    root.addChild(b);
    b->bDestroyPending = true;
    root.setChildrenSkip(true);
    EXPECT_TRUE(a->bSkip);
    EXPECT_FALSE(b->bSkip); // about to go: left alone
    root.deleteChildren();
    EXPECT_EQ(log, (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(root.firstChild, nullptr);
}
