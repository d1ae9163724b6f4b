// Feeds random and mutated packets to the reader paths of the serialiser:
// plain values, strings, object/resource/class references, cutting and
// joining, remote calls (destroy calls included) and object states with
// children, all read on a client whose world is rebuilt for every input.
//
// The first byte chooses the packet's flags (bits 0-2) and the reader (bits 3-4).
#include "serial/Packet.h"
#include "core/Plim.h"
#include "core/PlimBase.h"
#include "core/PropertyContainer.h"
#include "core/PropertyDWORD.h"
#include "core/PropertyDouble.h"
#include "core/PropertyFloat.h"
#include "core/PropertyInt.h"
#include "core/PropertyPointer.h"
#include "core/PropertyUColor.h"
#include "serial/RPC.h"
#include "core/ReferenceBase.h"
#include "serial/ReplicationRole.h"
#include "core/ResourceManager.h"
#include "serial/RootObjectBase.h"
#include "core/RuntimeClass.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace {

std::set<PlimBase*> alive;

struct Tracked : PlimBase {
    Tracked() { alive.insert(this); }
    ~Tracked() override { alive.erase(this); }
};

struct TrackedRoot : RootObjectBase {
    TrackedRoot() { alive.insert(this); }
    ~TrackedRoot() override { alive.erase(this); }
};

// A client role: received calls run here and nothing is ever sent.
struct FuzzRole : ReplicationRole {
    bool isServerSide() const override { return false; }
    void writeRPC(RPC*, Packet*) override {}
    PlimBase* lookupObject(int uid) override {
        auto it = objects.find(uid);
        return it == objects.end() ? nullptr : it->second;
    }
    void registerObject(PlimBase* o, int uid) override {
        o->objectUID = uid;
        objects[uid] = o;
        if (uid == 1)
            root = static_cast<RootObjectBase*>(o);
    }
    void unregisterObject(PlimBase* o) override {
        if (!o)
            return;
        objects.erase(o->objectUID);
        o->objectUID = -1;
    }
    void seedRandom(uint32_t) override {}

    std::map<int, PlimBase*> objects;
};

PlimBase* sky = nullptr;

// A root with five registered objects, one unregistered, and a small tree.
struct World {
    World() {
        ReplicationRole::current = &role;
        PlimBase* root = new TrackedRoot();
        role.registerObject(root, 1);
        PlimBase* previous = root;
        for (int uid = 2; uid <= 6; ++uid) {
            PlimBase* o = new Tracked();
            role.registerObject(o, uid);
            (uid % 2 ? previous : root)->addChild(o);
            previous = o;
        }
        root->addChild(new Tracked());
    }
    ~World() {
        ReplicationRole::current = nullptr;
        for (PlimBase* o : alive)
            if (o->parent)
                o->parent->removeChild(o);
        while (!alive.empty())
            delete *alive.begin();
    }
    FuzzRole role;
};

void readValues(Packet& p) {
    while (!p.hasError() && p.getBytesLeft() > 0) {
        uint8_t op = 0;
        p.doBits(&op, 4);
        int i = 0;
        float f = 0;
        double d = 0;
        bool b = false;
        V3 v;
        UColor c;
        UString s;
        RuntimeClass* cls = nullptr;
        PlimBase* o = nullptr;
        switch (op) {
        case 0: p.doUInt(&i); break;
        case 1: p.doInt(&i); break;
        case 2: p.doBool(&b); break;
        case 3: {
            uint8_t bits = 0;
            p.doBits(&bits, 1 + (p.getBytesLeft() & 7));
            break;
        }
        case 4: p.doHalf(&f); break;
        case 5: p.doHalfDouble(&d); break;
        case 6: p.doDouble(&d); break;
        case 7:
            p.doVector(&v);
            p.doVectorXY(&v);
            break;
        case 8:
            p.doHalfVector(&v);
            p.doHalfVectorXY(&v);
            break;
        case 9: p.doColor(&c); break;
        case 10: p.doUString(&s, 16); break;
        case 11: p.doUString(&s, -1); break;
        case 12: p.doClassID(cls); break;
        case 13:
            p.doHeader();
            p.doPointer2(o);
            break;
        case 14: p.doResourcePointer2(o); break;
        default: {
            // Cutting and joining with sizes and offsets taken from the input.
            int n = 0, offset = 0;
            p.doUInt(&n);
            p.doInt(&offset);
            n &= 1023;
            (void)p.crc32(offset, n - 512);
            Packet* piece = p.slice(n);
            Packet* clone = piece->cloneWithPiece(&p, offset, n);
            Packet joined(Packet::FLAG_FILTER1, 4096);
            piece->append(&joined);
            clone->append(&joined);
            delete clone;
            delete piece;
            break;
        }
        }
    }
}

// What the role does with command 3: a call created from its class reference.
void readCalls(Packet& p) {
    while (!p.hasError() && p.getBytesLeft() > 0) {
        uint8_t command = 0;
        p.doBits(&command, 2);
        if (command != 3)
            return;
        RuntimeClass* cls = nullptr;
        p.doClassID(cls);
        if (!cls || cls == &RPC::runtimeClass || !cls->isKindOf(&RPC::runtimeClass))
            return;
        RPC* call = static_cast<RPC*>(cls->create());
        call->netSerialize(&p);
        if (!p.hasError())
            call->executeLocally();
        delete call;
    }
}

void readStates(Packet& p, World& world) {
    while (!p.hasError() && p.getBytesLeft() > 0) {
        int uid = 0;
        p.doUInt(&uid);
        PlimBase* o = world.role.lookupObject(uid);
        if (!o)
            continue;
        o->netSerialize(&p);
        ReferenceBase reference(o);
        reference.netSerialize(&p);
    }
}

void readProperties(Packet& p) {
    uint32_t dword = 0;
    double dbl = 0;
    float flt = 0;
    int32_t integer = 0;
    UColor colour;
    PlimBase* object = nullptr;
    PlimBase* resource = nullptr;
    PropertyContainer top("top", 0);
    top.addChild(new PropertyDWORD("seed", 0, &dword));
    top.addChild(new PropertyDouble("half", Property::HALF, &dbl));
    top.addChild(new PropertyDouble("double", 0, &dbl));
    top.addChild(new PropertyFloat("float", 0, &flt));
    top.addChild(new PropertyFloat("halfFloat", Property::HALF, &flt));
    top.addChild(new PropertyInt("int", 0, &integer));
    top.addChild(new PropertyInt("uint", Property::UNSIGNED, &integer));
    top.addChild(new PropertyUColor("color", 0, &colour));
    top.addChild(new PropertyPointer("obj", 0, &object, &PlimBase::runtimeClass));
    top.addChild(new PropertyPointer("pSkin", Property::RESOURCE, &resource, &PlimBase::runtimeClass));
    while (!p.hasError() && p.getBytesLeft() > 0)
        top.netSerializeProperty(&p);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    new Plim(Plim::Bare{});
    RuntimeClass::buildIndex();
    PLIM->resourceManager = new ResourceManager();
    sky = new PlimBase();
    PLIM->resourceManager->addResource("sky", sky);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 65536)
        return 0;
    int length = static_cast<int>(size - 1);
    Packet p(data[0] & 7, length);
    if (length > 0)
        memcpy(p.buffer, data + 1, length);
    p.cursor += length;
    p.rewindToRead();

    World world;
    switch ((data[0] >> 3) & 3) {
    case 0: readValues(p); break;
    case 1: readCalls(p); break;
    case 2: readStates(p, world); break;
    default: readProperties(p); break;
    }
    return 0;
}
