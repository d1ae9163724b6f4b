#include "TestRole.h"

#include "core/ErrorManager.h"
#include "core/PlimBase.h"
#include "serial/RPC.h"
#include "serial/RootObjectBase.h"
#include "core/RuntimeClass.h"

TestRole::TestRole(bool server) : server(server), outPacket(Packet::FLAG_FILTER1, -1) {}

TestRole::~TestRole() {}

void TestRole::writeRPC(RPC* call, Packet* packet) {
    Packet* p = packet ? packet : &outPacket;
    uint8_t command = 3;
    p->doBits(&command, 2);
    RuntimeClass* cls = call->getClass();
    p->doClassID(cls);
    call->netSerialize(p);
    ++rpcsWritten;
}

PlimBase* TestRole::lookupObject(int uid) {
    auto it = objects.find(uid);
    return it == objects.end() ? nullptr : it->second;
}

void TestRole::registerObject(PlimBase* o, int uid) {
    PLIM_ASSERT(!(o->objectUID > 0));
    if (uid < 1)
        o->objectUID = nextObjectUID++;
    else
        o->objectUID = uid;
    objects.emplace(o->objectUID, o);
    if (server && !bExecutesOnClient)
        announced.push_back(o->objectUID);
    if (uid == 1) {
        PLIM_ASSERT(root == NULL);
        root = static_cast<RootObjectBase*>(o);
    }
}

void TestRole::unregisterObject(PlimBase* o) {
    if (!o)
        return;
    PLIM_ASSERT(o->objectUID > 0);
    objects.erase(o->objectUID);
    o->objectUID = -1;
}

void TestRole::seedRandom(uint32_t seed) {
    seeds.push_back(seed);
    ReplicationRole::seedRandom(seed);
}

std::vector<uint8_t> TestRole::outBytes() const {
    return std::vector<uint8_t>(outPacket.buffer, outPacket.cursor);
}

bool TestRole::processPacket(Packet* packet) {
    ReplicationRole* previous = current;
    current = this;
    while (!packet->hasError() && packet->getBytesLeft() > 0) {
        uint8_t command = 0;
        packet->doBits(&command, 2);
        if (command != 3) {
            packet->setError();
            break;
        }
        RuntimeClass* cls = nullptr;
        packet->doClassID(cls);
        // Only call classes may be created from a remote call's class reference.
        if (!cls || cls == &RPC::runtimeClass || !cls->isKindOf(&RPC::runtimeClass)) {
            packet->setError();
            break;
        }
        RPC* call = static_cast<RPC*>(cls->create());
        call->netSerialize(packet);
        if (!packet->hasError())
            call->executeLocally();
        delete call;
    }
    current = previous;
    return !packet->hasError();
}

bool TestRole::deliverTo(TestRole& other) {
    Packet received(Packet::FLAG_FILTER1, outPacket.getLength());
    outPacket.append(&received);
    received.rewindToRead();
    outPacket.reset();
    return other.processPacket(&received);
}
