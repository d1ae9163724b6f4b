// The role's command stream: the writers, the snapshot and the reader.
#include "NetRole.h"

#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "util/PlimUtil.h"
#include "serial/RPC.h"
#include "serial/RootObjectBase.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "NetConnection.h"
#include "NetPlayback.h"
#include "NetRecording.h"
#include "Node.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {
const char* const CUT_SHORT = "malformed or cut short";
const char* const COMMAND_NAMES[] = {"SPAWNOBJ", "SPAWNNAMED", "COPYOBJ", "RPC"};
} // namespace

// --- Writers ------------------------------------------------------------------

template <class Body> void NetRole::writeCommand(Packet* packet, int code, Body body) {
    Packet* p = target(packet);
    // Where the command starts, so that one that does not fit can be taken back
    // whole (its code bits may share a bit byte with earlier commands).
    uint8_t* start = p->cursor;
    uint8_t* bitByte = p->bitByte;
    uint8_t bitMask = p->bitMask;
    int32_t bitPos = p->bitPos;
    uint8_t bitValue = bitByte ? *bitByte : 0;
    uint8_t bits = static_cast<uint8_t>(code);
    p->doBits(&bits, 2);
    body(p);
    if (p->getLength() > MAX_PACKET && p->capacity > MAX_PACKET) {
        if (start == p->buffer)
            PLIM_ERROR("A %s command of %d bytes does not fit in a packet.", COMMAND_NAMES[code], p->getLength());
        p->cursor = start;
        p->bitByte = bitByte;
        p->bitMask = bitMask;
        p->bitPos = bitPos;
        if (bitByte)
            *bitByte = bitValue;
        sendFull(p);
        p->doBits(&bits, 2);
        body(p);
    }
    count(code);
}

void NetRole::sendFull(Packet* packet) {
    if (packet == &outPacket) {
        sendToAll(packet);
    } else if (packet == sink.packet) {
        if (sink.recording)
            sink.recording->writePacket(packet);
        if (sink.peer)
            sendToPeer(packet, sink.peer);
    } else {
        PLIM_ERROR("Packet full.");
    }
    packet->reset();
}

void NetRole::count(int code) {
    if (getConnection())
        getConnection()->getStats()->commandCounts[code] += 1;
}

void NetRole::writeSpawnObject(PlimBase* object, Packet* packet) {
    RuntimeClass* cls = object->getClass();
    writeCommand(packet, SPAWNOBJ, [&](Packet* p) { p->doClassID(cls); });
}

void NetRole::writeSpawnNamed(PlimBase* object, Packet* packet) {
    RuntimeClass* cls = object->getClass();
    int uid = object->objectUID;
    writeCommand(packet, SPAWNNAMED, [&](Packet* p) {
        p->doClassID(cls);
        p->doUInt(&uid);
    });
}

void NetRole::writeCopyObject(PlimBase* object, Packet* packet) {
    int uid = object->objectUID;
    writeCommand(packet, COPYOBJ, [&](Packet* p) {
        p->doUInt(&uid);
        object->netSerialize(p);
    });
}

void NetRole::writeRPC(RPC* call, Packet* packet) {
    RuntimeClass* cls = call->getClass();
    writeCommand(packet, RPC_COMMAND, [&](Packet* p) {
        p->doClassID(cls);
        call->netSerialize(p);
    });
    if (cls->index >= 0 && static_cast<size_t>(cls->index) < RPCCOUNT)
        rpcCounts[cls->index] += 1;
}

void NetRole::writeSnapshot(Packet* packet) {
    std::vector<int> uids;
    for (auto& entry : objectMap)
        uids.push_back(entry.first);
    std::sort(uids.begin(), uids.end());
    for (int uid : uids)
        writeSpawnNamed(findObject(uid), packet);
    for (int uid : uids)
        writeCopyObject(findObject(uid), packet);
}

void NetRole::sendSnapshot(Node* peer) {
    ReplicationRole* found = current;
    current = this;
    Packet snapshot(Packet::FLAG_FILTER1, 2 * MAX_PACKET);
    sink.packet = &snapshot;
    sink.peer = peer;
    writeSnapshot(&snapshot);
    sink = Sink();
    sendToPeer(&snapshot, peer);
    current = found;
}

// --- Reader -------------------------------------------------------------------

void NetRole::processPacket(Packet* packet) {
    PLIM_ASSERT(!packet->bWriting);
    if (netRecording)
        netRecording->writePacket(packet);
    ReplicationRole* found = current;
    current = this;
    inputFault = UString();
    while (packet->getBytesLeft() > 0) {
        uint8_t code = 0;
        packet->doBits(&code, 2);
        if (packet->hasError()) {
            inputFault = CUT_SHORT;
            break;
        }
        processCommand(packet, code & 3);
        if (!inputFault.isEmpty())
            break;
    }
    if (!inputFault.isEmpty())
        rejectInput(packet, inputFault);
    inputFault = UString();
    current = found;
}

UString NetRole::readClass(Packet* packet, RuntimeClass*& cls) {
    cls = nullptr;
    if (packet->flags & Packet::FLAG_MARKER) {
        uint32_t id = 0;
        packet->doBytes(&id, 4);
        if (packet->hasError())
            return CUT_SHORT;
        cls = RuntimeClass::findById(id);
        return cls ? UString() : formatString("unknown class %08x", id);
    }
    int index = 0;
    packet->doUInt(&index);
    if (packet->hasError())
        return CUT_SHORT;
    cls = RuntimeClassManager::getInstance()->getClassByIndex(index);
    return cls ? UString() : formatString("unknown class %d", index);
}

UString NetRole::refuseSpawn(RuntimeClass* cls, int uid, bool named) {
    if (!cls->isKindOf(&PlimBase::runtimeClass))
        return formatString("spawn of %s, which is no object class", cls->name.c_str());
    if (!cls->factory)
        return formatString("class %s has no factory", cls->name.c_str());
    if (!named) {
        if (nextObjectUID < 1 || nextObjectUID == INT_MAX)
            return formatString("next UID %d out of range", nextObjectUID);
        uid = nextObjectUID;
    } else if (uid < 1) {
        return formatString("SPAWNNAMED with UID %d", uid);
    } else if (uid == 1 && root) {
        return "SPAWNNAMED of a second root";
    } else if (uid == 1 && !cls->isKindOf(&RootObjectBase::runtimeClass)) {
        return formatString("root of class %s", cls->name.c_str());
    }
    if (objectMap.count(uid))
        return formatString("UID %d already registered", uid);
    return UString();
}

void NetRole::processCommand(Packet* packet, int command) {
    if (command < SPAWNOBJ || command > RPC_COMMAND)
        PLIM_ERROR("Unknown packet command: %d", command);
    // From a client the server takes only calls that clients may send.
    if (isServer() && command != RPC_COMMAND) {
        inputFault = formatString("%s from a client", COMMAND_NAMES[command]);
        return;
    }
    RuntimeClass* cls = nullptr;
    switch (command) {
    case SPAWNOBJ:
    case SPAWNNAMED: {
        inputFault = readClass(packet, cls);
        int uid = 0;
        if (command == SPAWNNAMED && inputFault.isEmpty()) {
            packet->doUInt(&uid);
            if (packet->hasError())
                inputFault = CUT_SHORT;
        }
        if (inputFault.isEmpty())
            inputFault = refuseSpawn(cls, uid, command == SPAWNNAMED);
        if (!inputFault.isEmpty())
            return;
        PlimBase* o = static_cast<PlimBase*>(cls->create());
        if (!o) {
            inputFault = formatString("class %s made no object", cls->name.c_str());
            return;
        }
        spawned.insert(o);
        registerObject(o, command == SPAWNNAMED ? uid : 0);
        return;
    }
    case COPYOBJ: {
        int uid = 0;
        packet->doUInt(&uid);
        if (packet->hasError()) {
            inputFault = CUT_SHORT;
            return;
        }
        PlimBase* o = lookupObject(uid);
        if (!o) {
            inputFault = formatString("COPYOBJ of unregistered UID %d", uid);
            return;
        }
        packet->unresolvedUID = 0;
        o->netSerialize(packet);
        if (packet->hasError())
            inputFault = formatString("state of object %d %s", uid, CUT_SHORT);
        else if (packet->unresolvedUID)
            inputFault = formatString("state of object %d names unregistered UID %d", uid, packet->unresolvedUID);
        else
            o->netPostReplicate();
        return;
    }
    default: {
        inputFault = readClass(packet, cls);
        if (!inputFault.isEmpty())
            return;
        if (cls == &RPC::runtimeClass || !cls->isKindOf(&RPC::runtimeClass)) {
            inputFault = formatString("call of %s, which is no call class", cls->name.c_str());
            return;
        }
        if (!cls->factory) {
            inputFault = formatString("class %s has no factory", cls->name.c_str());
            return;
        }
        RPC* call = static_cast<RPC*>(cls->create());
        if (isServer() && !call->bCallableFromClient) {
            inputFault = formatString("call %s is not callable from a client", cls->name.c_str());
        } else {
            packet->unresolvedUID = 0;
            call->netSerialize(packet);
            if (packet->hasError())
                inputFault = formatString("arguments of call %s %s", cls->name.c_str(), CUT_SHORT);
            else if (packet->unresolvedUID)
                inputFault =
                    formatString("call %s names unregistered UID %d", cls->name.c_str(), packet->unresolvedUID);
            else
                call->executeLocally();
        }
        delete call;
        return;
    }
    }
}

void NetRole::rejectInput(Packet* packet, const UString& reason) {
    if (bPlayingBack) {
        netPlayback->fail(reason.c_str());
        quitReason = QUIT_PLAYBACK_FINISHED;
        return;
    }
    Node* peer = packet->peer;
    UString from = peer ? peer->getAddress().toString() : UString("no peer");
    logTagged("processPacket", "Dropped a packet from %s: %s.", from.c_str(), reason.c_str());
    if (peer) {
        for (BasicLink* l = getPeers().firstChild; l; l = l->next)
            if (l == peer) {
                removePeer(peer, true);
                break;
            }
    }
    if (!isServer())
        quitReason = QUIT_DISCONNECTED;
}
