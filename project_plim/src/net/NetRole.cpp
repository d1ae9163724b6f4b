#include "NetRole.h"

#include "core/ErrorManager.h"
#include "language/Language.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "serial/RPC.h"
#include "serial/RootObjectBase.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "render/TextPrinter.h"
#include "NetConnection.h"
#include "NetPlayback.h"
#include "NetRecording.h"
#include "NetTime.h"
#include "Node.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

NetRole::NetRole(const UString& gameName, double version, const UString& playerName, int hostMode, bool isServer)
    : NetHost(gameName, version, playerName, hostMode, isServer), roleBeforeConstruction(current) {
    PLIM_ASSERT(RuntimeClassManager::getInstance()->classArray.size()<RPCCOUNT);
    nextObjectUID = rand() % 256 + 2;
    objectMap.reserve(100);
    liveRoles.insert(this);
    current = this;
}

std::set<ReplicationRole*> NetRole::liveRoles;

NetRole::~NetRole() {
    liveRoles.erase(this);
    ReplicationRole* found = current;
    current = this;
    delete netRecording;
    netRecording = nullptr;
    delete netPlayback;
    netPlayback = nullptr;
    // Unregistered first, the objects below the role then go with it as plain
    // objects (a registered one would refuse to be deleted).
    for (auto& entry : objectMap)
        entry.second->objectUID = -1;
    objectMap.clear();
    root = nullptr;
    // Objects made from commands that no copied state ever placed in a tree
    // belong to nobody else.
    std::vector<PlimBase*> orphans;
    for (PlimBase* o : spawned)
        if (!o->parent)
            orphans.push_back(o);
    spawned.clear();
    for (PlimBase* o : orphans)
        delete o;
    current = found == this ? roleToRestore(found) : found;
    if (current == this)
        current = nullptr;
}

ReplicationRole* NetRole::roleToRestore(ReplicationRole* found) const {
    // The constructor left this role current until the end of its first tick.
    if (found == this && !bFirstTickDone)
        return liveRoles.count(roleBeforeConstruction) ? roleBeforeConstruction : nullptr;
    return found;
}

// --- The network tick ---------------------------------------------------------

void NetRole::tick(double time, double dt) {
    ReplicationRole* found = current;
    current = this;
    netDeltaTime = PLIM ? PLIM->getDeltaTime() : 0.0;
    bNetTicked = false;
    netTime += netDeltaTime;
    if (netTime >= nextNetTick) {
        nextNetTick = netTime + netTickInterval;
        ++netTickCount;
        bNetTicked = true;
        if (!netPlayback) {
            update();
        } else {
            if (Packet* packet = netPlayback->nextPacket()) {
                bPlayingBack = true;
                processPacket(packet);
                bPlayingBack = false;
                delete packet;
            }
            if (netPlayback->bFinished)
                quitReason = QUIT_PLAYBACK_FINISHED;
        }
    }
    PlimBase::tick(netTime, netDeltaTime);
    if (bNetTicked) {
        sendToAll(&outPacket);
        outPacket.reset();
        carryResendRequests();
        std::copy(rpcCounts, rpcCounts + RPCCOUNT, rpcCountsLast);
        std::fill(rpcCounts, rpcCounts + RPCCOUNT, 0);
    }
    current = roleToRestore(found);
    bFirstTickDone = true;
}

void NetRole::carryResendRequests() {
    for (BasicLink* l = getPeers().firstChild; l; l = l->next) {
        Node* peer = static_cast<Node*>(l);
        for (int i = 0; i < MAX_REQUEST_CARRIERS && BasicLink::isLive(l) && peer->resendRequestDue(); ++i)
            sendToPeer(&outPacket, peer);
    }
}

void NetRole::render() {
    ReplicationRole* found = current;
    current = this;
    PlimBase::render();
    current = found;
}

void NetRole::flushGlobalState() {
    sendToAll(&outPacket);
    outPacket.reset();
}

void NetRole::onPeerConnected(Node* peer) {
    if (isServer())
        sendSnapshot(peer);
}

void NetRole::onConnectionRejected(const UString& message) {
    // A server is only told that a client refused it.
    if (isServer())
        return;
    refusal = message;
    quitReason = QUIT_DISCONNECTED;
}

// --- The object map -------------------------------------------------------------

void NetRole::registerObject(PlimBase* o, int uid) {
    PLIM_ASSERT(!o->isValidUID());
    if (uid < 1)
        PLIM_ASSERT(nextObjectUID>0 && nextObjectUID<INT_MAX);
    int id = uid < 1 ? nextObjectUID : uid;
    // A second object under one UID would be lost to the map.
    PLIM_ASSERT(objectMap.count(id)==0);
    if (uid == 1) {
        PLIM_ASSERT(root==NULL);
        PLIM_ASSERT(dynamic_cast<RootObjectBase*>(o)!=NULL);
    }
    o->objectUID = id;
    if (uid < 1)
        ++nextObjectUID;
    objectMap.emplace(id, o);
    if (isServer() && !bExecutesOnClient)
        writeSpawnObject(o, nullptr);
    if (uid == 1) {
        root = static_cast<RootObjectBase*>(o);
        addChild(o);
    }
}

void NetRole::unregisterObject(PlimBase* o) {
    if (!o)
        return;
    PLIM_ASSERT(o->isValidUID());
    auto it = objectMap.find(o->objectUID);
    if (it != objectMap.end() && it->second == o)
        objectMap.erase(it);
    o->objectUID = -1;
    spawned.erase(o);
    if (o == root)
        root = nullptr;
}

PlimBase* NetRole::lookupObject(int uid) {
    auto it = objectMap.find(uid);
    return it == objectMap.end() ? nullptr : it->second;
}

PlimBase* NetRole::findObject(int uid) {
    PlimBase* o = lookupObject(uid);
    if (!o)
        PLIM_ERROR("Could not find object ID %d", uid);
    return o;
}

void NetRole::netPostReplicateGlobalAll() {
    std::vector<PlimBase*> all;
    for (auto& entry : objectMap)
        all.push_back(entry.second);
    for (PlimBase* o : all)
        o->netPostReplicateGlobal();
}

uint64_t NetRole::worldHash() {
    ReplicationRole* found = current;
    current = this;
    uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](const void* bytes, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            hash ^= static_cast<const uint8_t*>(bytes)[i];
            hash *= 1099511628211ull;
        }
    };
    std::vector<int> uids;
    for (auto& entry : objectMap)
        uids.push_back(entry.first);
    std::sort(uids.begin(), uids.end());
    Packet state(Packet::FLAG_FILTER1, 2 * MAX_PACKET);
    for (int uid : uids) {
        int32_t le = uid;
        mix(&le, 4);
        PlimBase* o = objectMap[uid];
        const UString& name = o->getClass()->name;
        mix(name.c_str(), name.length());
        state.reset();
        o->netSerialize(&state);
        mix(state.buffer, static_cast<size_t>(state.getLength()));
    }
    current = found;
    return hash;
}

void NetRole::dumpObjectMap() {
    logTagged("dumpObjectMap", "Starting dump..");
    logTagged("dumpObjectMap", "Map size: %d", static_cast<int>(objectMap.size()));
    for (auto& entry : objectMap)
        logTagged("dumpObjectMap", "Object ID %d (%08x) (class=%s)", entry.first,
                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(entry.second)),
                  entry.second->getClass()->name.c_str());
    logTagged("dumpObjectMap", "Dump done.");
}

UString NetRole::getStatusText() const {
    if (quitReason == QUIT_DISCONNECTED && !refusal.isEmpty())
        return refusal;
    int id = Language::STR_QUITUNKNOWN;
    const char* english = "Quit for an unknown reason.";
    switch (quitReason) {
    case QUIT_USER:
        id = Language::STR_QUITUSERQUIT, english = "User requested exit.";
        break;
    case QUIT_DISCONNECTED:
        id = Language::STR_QUITDISCONNECTED, english = "Disconnected from server.";
        break;
    case QUIT_GAME_OVER:
        id = Language::STR_QUITGAMEOVER, english = "Game over.";
        break;
    case QUIT_PLAYBACK_FINISHED:
        id = Language::STR_QUITPLAYBACKFINISHED, english = "Playback finished.";
        break;
    case QUIT_EMERGENCY:
        id = Language::STR_QUITEMERGENCY, english = "Emergency exit requested.";
        break;
    default:
        break;
    }
    return PLIM && PLIM->language ? UString(PLIM->language->getText(id)) : UString(english);
}

// --- Recording and playback ---------------------------------------------------

void NetRole::startRecording(const UString& fileName) {
    delete netRecording;
    netRecording = new NetRecording(fileName);
    netRecording->writeHeader(static_cast<int32_t>(getHostUID()));
    ReplicationRole* found = current;
    current = this;
    Packet snapshot(Packet::FLAG_FILTER1, 2 * MAX_PACKET);
    snapshot.time = ::netTime();
    sink.packet = &snapshot;
    sink.recording = netRecording;
    writeSnapshot(&snapshot);
    sink = Sink();
    netRecording->writePacket(&snapshot);
    current = found;
}

void NetRole::startPlayback(const UString& fileName) {
    PLIM_ASSERT(netPlayback==NULL);
    netPlayback = new NetPlayback(fileName);
    uint32_t recorded = getHostUID();
    netPlayback->playbackHeader(&recorded);
    setHostUID(recorded);
}

// --- Debug overlay ------------------------------------------------------------

void NetRole::renderDebugInfo(V3 origin, TextPrinter* font) {
    if (!PLIM || !(PLIM->debugLevel & DEBUG_OVERLAY) || !font)
        return;
    float y = origin.y;
    auto line = [&](float step, const UString& text) {
        y -= step;
        font->printAt(origin.x, y, origin.z, UColor::WHITE, 0, text);
    };
    NetStats none;
    const NetStats& total = getConnection() ? getConnection()->getEndedTotal() : none;
    NetStats* sample = getConnection() ? getConnection()->getStats() : &none;
    line(20, formatString("hostUID: %08x", getHostUID()));
    line(20, "STATS (in/out)");
    line(10, formatString("packets: %8d %8d", total.packetsIn, total.packetsOut));
    line(10, formatString("bytes:   %8d %8d", total.bytesIn, total.bytesOut));
    line(10, formatString("packetsLost: %d", total.packetsLost));
    line(10, formatString("resendRequests: %d", total.resendRequests));
    line(10, formatString("resends: %d", total.resends));
    line(10, formatString("outOfOrder: %d", total.outOfOrder));
    line(20, formatString("STATE: %d", state));
    line(20, formatString(isServer() ? "--- SERVER objectMap (%d) ---" : "--- CLIENT objectMap (%d) ---",
                          static_cast<int>(objectMap.size())));
    line(20, "--- PACKET CONTENTS ---");
    line(10, formatString("SPAWNOBJ: %d ", sample->commandCounts[SPAWNOBJ]));
    line(10, formatString("SPAWNNAMED: %d ", sample->commandCounts[SPAWNNAMED]));
    line(10, formatString("COPYOBJ: %d ", sample->commandCounts[COPYOBJ]));
    line(10, formatString("RPC: %d ", sample->commandCounts[RPC_COMMAND]));
    int delayed = getConnection() ? static_cast<int>(getConnection()->getDelayedCount()) : 0;
    line(10, formatString("  -- inQsimulated %d", delayed));
    line(20, formatString("--- %d NODES ---", getPeerCount()));
    for (BasicLink* l = getPeers().firstChild; l; l = l->next) {
        Node* peer = static_cast<Node*>(l);
        line(10, formatString("nodeUID: %08x (%s) ping: %.3lf", peer->getUID(),
                              peer->getAddress().toString().c_str(), peer->getPing()));
        line(10, formatString("  -- sequenceIn %d", peer->getSequenceIn()));
        line(10, formatString("  -- outQunacked %d", static_cast<int>(peer->getOutQueue().getNumChildren())));
        line(10, formatString("  -- inQarrived %d", static_cast<int>(peer->getInQueue().getNumChildren())));
        line(10, formatString("  -- inQcontiguous %d", static_cast<int>(peer->getContiguousQueue().getNumChildren())));
        line(10, formatString("  -- inQready %d", static_cast<int>(getReadyCount())));
    }
    line(20, "OUTGOING RPCs");
    RuntimeClassManager* classes = RuntimeClassManager::getInstance();
    for (size_t i = 0; i < RPCCOUNT; ++i)
        if (rpcCountsLast[i] >= 1)
            if (RuntimeClass* cls = classes->getClassByIndex(static_cast<int>(i)))
                line(10, formatString("%d x %s", rpcCountsLast[i], cls->name.c_str()));
    if (getConnection()) {
        getConnection()->drawStats(font, origin.x, -250, origin.x + 98, -298, "bytes in", &NetStats::bytesIn);
        getConnection()->drawStats(font, origin.x + 100, -250, origin.x + 198, -298, "bytes out", &NetStats::bytesOut);
        getConnection()->drawStats(font, origin.x + 200, -250, origin.x + 298, -298, "resends", &NetStats::resends);
    }
}
