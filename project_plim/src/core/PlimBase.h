#pragma once
// The root class of every engine object: a node of the object tree that owns
// its children and walks them each frame (tick, render, pick), a state machine,
// event hooks, and an entry in the engine's list of live objects.
#include "BasicLink.h"
#include "ObjectLink.h"
#include "ReferenceList.h"
#include "StateBase.h"

#include <cstdint>

struct Event;
class Packet;
class PropertyContainer;

class PlimBase : public BasicLink, public StateBase {
public:
    // Needs the engine (PLIM): the object joins its list of live objects.
    PlimBase();
    RuntimeClass* getClass() override;
    ~PlimBase() override;
    // The sanctioned way to delete an engine object.
    void deleteMe() override;

    // Advances the state, then ticks the children (see walkChildren).
    virtual void tick(double time, double dt);
    // Draws the children; drawable classes draw themselves first.
    virtual void render();
    // The n-th object under the mouse in this subtree, topmost first
    // (n = 0: the topmost). n is decreased once per hit on the way up.
    virtual PlimBase* pick(int& n);
    virtual bool isMouseInside() { return false; }

    // Capture phase, root first; true swallows the event.
    virtual bool previewEvent(Event* event);
    // Bubble phase, from this object up to the root.
    virtual bool bubbleEvent(Event* event);
    // Default hooks hand the event to handler (false without one).
    virtual bool onPreviewEvent(Event* event);
    virtual bool onEvent(Event* event);
    virtual bool onBubbleEvent(Event* event);

    virtual void onPLIMmodeChange(int oldMode, int newMode) {}

    // One routine for both directions: the properties, the marker (packet
    // flag 4), then whether there are children and their identifiers.
    virtual void netSerialize(Packet* packet);
    // Called after the object's state has been copied from the network.
    virtual void netPostReplicate() {}
    virtual void netPostReplicateGlobal() {}

    // Bodies of the replicated tree changes.
    virtual void doClear();
    virtual void doAdd(PlimBase* child);
    virtual void doRemove(PlimBase* child);
    // "objectUID", then the "StateBase" group; overrides call this first.
    void addPropertiesTo(PlimBase* container) override;

    static RuntimeClass runtimeClass;
    static PlimBase* create();

    // Deletes every child through its deleteMe, last first.
    void destroyChildren();
    // False for the role's root and for this object or an ancestor of it:
    // linking those below this object would break the tree.
    bool mayAdopt(const PlimBase* child) const;

    // A new property tree of the object, named after its class and address;
    // the caller deletes it.
    PropertyContainer* createPropertyContainer();

    // Replicated changes: each builds a remote call that runs the body
    // wherever the call executes (here at once when there is no role).
    void clear();
    void add(PlimBase* obj);
    void remove(PlimBase* obj);
    void callNetPostReplicate();
    void callNetPostReplicateGlobal();
    // The state number directly, without onStateChange.
    void setStateRaw(int state);
    // Hides StateBase::setState; call that one explicitly to force a change.
    void setState(int state, double delay = 0.0);
    // The body of setState: the server schedules the change after delay, a
    // client (unless delay is 0) waits for the server's state to reach it.
    void doSetState(int state, double delay);
    // This object or any ancestor paused.
    bool isPaused() const;
    // This object or the nearest ancestor that is a Context; fatal when none is.
    PlimBase* findContext();
    // The parent as an engine object; null for a root or a plain list head.
    PlimBase* getParentObject() const;
    // Sends EVENT_REFERENCE_DYING to the owner of every reference to this
    // object (skipping flagged references); the references stay set.
    void notifyReferencesDying();
    // The event manager's focus object is this object or one below it.
    bool hasFocus();
    // This object is the event manager's focus object / the object under the mouse.
    bool isFocused();
    bool isHovered();

    bool bVisible = true;
    bool bSkipVisibility = false;
    bool bPaused = false; // no picking or event delivery here and below
    int32_t objectUID = -1;
    // Registered with a replication role.
    bool isValidUID() const { return objectUID > 0; }
    PlimBase* handler = nullptr;
    ReferenceList references;
    ObjectLink objectLink{this};

private:
    // Walks the children for tick or render.
    void walkChildren(bool ticking, double time, double dt);
};
