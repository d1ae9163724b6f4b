#pragma once
// Intrusive tree node under every engine object, weak reference and list head.
// The links live in the node, so linking never allocates. A parent owns its
// children: destroying a node destroys everything below it, last child first.
#include <cstdint>

class RuntimeClass;

class BasicLink {
public:
    BasicLink() = default;
    BasicLink(const BasicLink&) = delete;
    BasicLink& operator=(const BasicLink&) = delete;

    virtual RuntimeClass* getClass();
    virtual ~BasicLink();
    // Deletes this node; engine objects override it.
    virtual void deleteMe();

    // The node's record (the factory makes an unlinked node).
    static RuntimeClass runtimeClass;
    static BasicLink* create();
    // deleteMe() for a pointer that may be null.
    static void deleteIfSet(BasicLink* node) {
        if (node) node->deleteMe();
    }
    // Neither waiting for deletion nor passed over: what the tree walks visit.
    static bool isLive(const BasicLink* node) { return !node->bDestroyPending && !node->bSkip; }

    // The child must be in no list; these do not unlink it from a previous one.
    void addChild(BasicLink* child);
    void addChildFirst(BasicLink* child);
    // after must be a child of this node, or null when this node has none.
    void insertChildAfter(BasicLink* child, BasicLink* after);
    // Unlinks a child of this node. The child's prev/next keep their old values.
    void removeChild(BasicLink* child);

    uint32_t getNumChildren() const;
    // Index 0 or below gives the first child; past the end gives null.
    BasicLink* getChild(int index) const;
    // Deletes every child, last first, without going through deleteMe.
    void deleteChildren();
    // Sets bSkip on every child that is not about to be deleted.
    void setChildrenSkip(bool skip);

    BasicLink* prev = nullptr;
    BasicLink* next = nullptr;
    BasicLink* firstChild = nullptr;
    BasicLink* lastChild = nullptr;
    BasicLink* parent = nullptr;
    bool bDestroyPending = false; // to be deleted by the parent's next walk
    bool bSkip = false;           // passed over by the tree walks
};
