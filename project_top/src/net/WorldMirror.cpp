#include "WorldMirror.h"

#include "core/Plim.h"
#include "render/Quad.h"
#include "serial/ReplicationRole.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "MirrorRoot.h"
#include "net/NetRole.h"
#include "net/Node.h"
#include "world/Airplane.h"
#include "world/AirplaneSkin.h"
#include "world/Palm.h"
#include "world/World.h"
#include "world/effects/ParticleBurst.h"
#include "world/effects/Splash.h"
#include "world/weapons/Beam.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

// Makes the role current for a scope and puts back what was there.
class CurrentRole {
public:
    explicit CurrentRole(ReplicationRole* role) : found(THEROLE) { THEROLE = role; }
    ~CurrentRole() { THEROLE = found; }

private:
    ReplicationRole* found;
};

bool named(Skin* skin) { return skin && PLIM && PLIM->resourceManager && !PLIM->resourceManager->nameOf(skin).isEmpty(); }

// A beam repeats its picture along its length in a quad of its own: shown by
// that picture stretched over the same rectangle, centre on centre.
void lookOfBeam(Beam* beam, WorldMirror::Look& look) {
    Skin* first = World::frame(beam->beamTexture, 0);
    if (!first || first->width <= 0.0f || first->height <= 0.0f) return;
    look.skin = first;
    look.scale = V3(beam->scale.x * beam->beamQuad->width / first->width,
                    beam->scale.y * beam->beamQuad->height / first->height, beam->scale.z);
    // Where the stretched picture's centre falls when placed at 0.
    Renderable placed;
    const V3 zero(0.0f, 0.0f, 0.0f);
    placed.setup(first, &zero, &look.rotation, &look.scale);
    placed.updateVisuals();
    look.position = transformPoint(zero, beam->xform) - transformPoint(zero, placed.xform);
}

// Particles not yet ticked have no picture and draw nothing.
void addLive(Sparc* particles, int count, std::vector<Renderable*>& parts) {
    for (int i = 0; particles && i < count; ++i)
        if (particles[i].life > 0.0f && particles[i].pSkin) parts.push_back(&particles[i]);
}
} // namespace

WorldMirror::WorldMirror(NetRole* role, MirrorRoot* root, GameController* match, uint32_t seed)
    : role(role), root(root), match(nullptr), seed(seed) {
    this->match.set(match);
}

WorldMirror::~WorldMirror() {}

void WorldMirror::tick(double time, double dt) {
    PlimBase::tick(time, dt);
    if (role->bNetTicked && !bFinished) update();
}

void WorldMirror::update() {
    if (bFinished) return;
    CurrentRole current(role);
    seedIfNewPeers();
    if (role->netTime >= nextDraw) {
        nextDraw = role->netTime + DRAW_INTERVAL;
        root->drawShared();
    }
    pass();
}

void WorldMirror::finish() {
    if (bFinished) return;
    update();
    CurrentRole current(role);
    root->endMatch();
    bFinished = true;
}

void WorldMirror::seedIfNewPeers() {
    bool fresh = passes == 0;
    std::set<uint32_t> now;
    for (BasicLink* l = role->getPeers().firstChild; l; l = l->next) {
        uint32_t id = static_cast<Node*>(l)->getUID();
        now.insert(id);
        fresh = fresh || !knownPeers.count(id);
    }
    knownPeers.swap(now);
    if (!fresh) return;
    // A new peer's generator was never seeded: every side starts over together.
    root->randomSeed(seed + uint32_t(seedings));
    ++seedings;
}

bool WorldMirror::isDrawn(const BasicLink* object) {
    if (object->bDestroyPending || object->bSkip) return false;
    const Renderable* r = dynamic_cast<const Renderable*>(static_cast<const PlimBase*>(object));
    return r && !r->bHidden;
}

void WorldMirror::drawnPartsOf(BasicLink* link, std::vector<Renderable*>& parts) {
    if (isDrawn(link)) {
        parts.push_back(static_cast<Renderable*>(static_cast<PlimBase*>(link)));
        return;
    }
    if (link->bDestroyPending || link->bSkip) return;
    PlimBase* object = static_cast<PlimBase*>(link);
    if (Splash* splash = dynamic_cast<Splash*>(object))
        if (splash->elapsed < Splash::RING_TIME && splash->ring.pSkin) parts.push_back(&splash->ring);
    if (ParticleBurst* burst = dynamic_cast<ParticleBurst*>(object)) addLive(burst->particles, burst->count, parts);
}

WorldMirror::Look WorldMirror::lookOf(Renderable* object) {
    Look look;
    look.position = object->position;
    look.rotation = object->rotation;
    look.scale = object->scale;
    look.color = object->color;
    if (named(object->pSkin)) {
        look.skin = object->pSkin;
    } else if (AirplaneSkin* plane = dynamic_cast<AirplaneSkin*>(object->pSkin)) {
        // The body as the aircraft draws it: a picture per heading, mirrored to the right.
        bool mirrored = false;
        const int picture = AirplaneSkin::pictureFor(plane->heading, &mirrored);
        look.skin = plane->bodyPictures ? World::frame(plane->bodyPictures, picture) : nullptr;
        look.rotation = V3(0.0f, mirrored ? PI : 0.0f, 0.0f);
    } else if (Beam* beam = dynamic_cast<Beam*>(object)) {
        lookOfBeam(beam, look);
    } else if (dynamic_cast<Palm*>(object)) {
        look.skin = World::frame(World::frames("palm"), 0);
    }
    if (!named(look.skin)) look.skin = nullptr;
    return look;
}

Renderable* WorldMirror::standInFor(Renderable* object) const {
    auto it = entries.find(object);
    return it != entries.end() && it->second->source.get() == object ? it->second->standIn : nullptr;
}

void WorldMirror::pass() {
    ++passes;
    std::vector<Renderable*> order;
    std::vector<Renderable*> parts;
    GameController* world = match.get();
    for (int i = 0; world && i < GameController::LAYER_COUNT; ++i)
        for (BasicLink* l = world->layer(i)->firstChild; l; l = l->next) drawnPartsOf(l, parts);
    for (Renderable* object : parts) {
        auto it = entries.find(object);
        // An entry whose object went (its memory taken by this one) goes first.
        if (it != entries.end() && it->second->source.get() != object) {
            retire(*it->second);
            entries.erase(it);
            it = entries.end();
        }
        bool fresh = it == entries.end();
        if (fresh) {
            std::unique_ptr<Entry> entry(new Entry());
            entry->source.set(object);
            entry->standIn = new Renderable();
            role->registerObject(entry->standIn, 0);
            it = entries.emplace(object, std::move(entry)).first;
        }
        it->second->pass = passes;
        sync(*it->second, fresh);
        order.push_back(it->second->standIn);
    }
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->second->pass == passes) {
            ++it;
            continue;
        }
        retire(*it->second);
        it = entries.erase(it);
    }
    orderBelowRoot(order);
}

void WorldMirror::sync(Entry& entry, bool fresh) {
    const Look look = lookOf(entry.source.get());
    Renderable* s = entry.standIn;
    if (!fresh && s->pSkin == look.skin && s->position == look.position && s->rotation == look.rotation &&
        s->scale == look.scale && s->color == look.color)
        return;
    s->pSkin = look.skin;
    s->position = look.position;
    s->rotation = look.rotation;
    s->scale = look.scale;
    s->color = look.color;
    s->updateVisuals();
    role->writeCopyObject(s, nullptr);
    ++copies;
}

void WorldMirror::retire(Entry& entry) {
    entry.source.set(nullptr);
    Renderable* s = entry.standIn;
    entry.standIn = nullptr;
    if (s) root->destroyObject(s);
}

void WorldMirror::orderBelowRoot(const std::vector<Renderable*>& order) {
    size_t i = 0;
    bool same = true;
    for (BasicLink* l = root->firstChild; l; l = l->next, ++i)
        if (i >= order.size() || l != static_cast<BasicLink*>(order[i])) {
            same = false;
            break;
        }
    if (same && i == order.size()) return;
    // New stand-ins join the root in drawing order; the copy places them on every side.
    for (Renderable* s : order) {
        if (s->parent) s->parent->removeChild(s);
        root->addChild(s);
    }
    role->writeCopyObject(root, nullptr);
}
