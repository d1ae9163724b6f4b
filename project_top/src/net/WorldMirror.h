#pragma once
// The server's side of a replicated match. Game code makes and deletes world
// objects directly, so none of them is registered; the mirror, a child of the
// role ticked on its network ticks, keeps one registered Renderable stand-in
// below the root per drawn world object and sends what changed: a new object
// is announced, its stand-in copied whenever its transform, colour or shared
// skin changed, and network-deleted when the object is gone. Skins travel by
// resource name; an object whose own skin has no name is shown by the named
// picture closest to it (an aircraft's body frame, a palm's picture, a
// beam's picture stretched over the beam).
//
// Smoke, explosions, splashes and fireworks are no Renderables: they draw
// arrays of particles of their own. Each particle they draw is a world
// object of its own here, with its own stand-in while it burns.
//
// It also seeds the shared generator at its first pass (again whenever a new
// peer arrives, whose generator knows nothing yet) and once a second runs a
// call on every side that draws from it into the root.
#include "core/PlimBase.h"
#include "core/Reference.h"
#include "render/Renderable.h"

#include <cstdint>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

class GameController;
class MirrorRoot;
class NetRole;
class Skin;

class WorldMirror : public PlimBase {
public:
    static constexpr double DRAW_INTERVAL = 1.0;

    // What a stand-in shows for a world object.
    struct Look {
        Skin* skin = nullptr;
        V3 position;
        V3 rotation;
        V3 scale{1.0f, 1.0f, 1.0f};
        UColor color{255, 255, 255, 255};
    };

    // The role must be the server's and root registered under UID 1 there.
    WorldMirror(NetRole* role, MirrorRoot* root, GameController* match, uint32_t seed);
    ~WorldMirror() override;

    // A pass on each network tick of the role, until finish.
    void tick(double time, double dt) override;
    // One pass over the match's layers, with the role current.
    void update();
    // A last pass (the last copies), then the end call on every side. The
    // mirror sends nothing afterwards.
    void finish();

    static Look lookOf(Renderable* object);
    // The layer's members a pass mirrors as they are: live, shown Renderables.
    static bool isDrawn(const BasicLink* object);
    // Appends what a member of a layer draws: itself when drawn; an effect's
    // pictures with life left (a splash's ring in its first second too).
    static void drawnPartsOf(BasicLink* object, std::vector<Renderable*>& parts);

    // The stand-in of a world object; null when it has none.
    Renderable* standInFor(Renderable* object) const;
    int standInCount() const { return int(entries.size()); }

    NetRole* role;
    MirrorRoot* root;
    Reference<GameController> match; // a match that ends leaves nothing to mirror
    uint32_t seed;
    int32_t seedings = 0;
    int32_t copies = 0; // stand-in copies written so far
    double nextDraw = -1.0;
    bool bFinished = false;

private:
    struct Entry {
        Entry() : source(nullptr) {}
        Reference<Renderable> source; // weak: cleared when the object goes
        Renderable* standIn = nullptr;
        uint32_t pass = 0;
    };

    void pass();
    void seedIfNewPeers();
    void sync(Entry& entry, bool fresh);
    void retire(Entry& entry);
    void orderBelowRoot(const std::vector<Renderable*>& order);

    std::unordered_map<Renderable*, std::unique_ptr<Entry>> entries;
    std::set<uint32_t> knownPeers;
    uint32_t passes = 0;
};
