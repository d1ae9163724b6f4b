// Feeds arbitrary bytes to replication roles: as a received packet to a client
// and to a server that each hold a small world (a root, a renderable and a
// plain object below it, the client's made from the server's snapshot), and
// as a recording played back by a fresh client. Whatever the input, no role
// may end the program, and every map entry keeps its key as objectUID.
//
// The first byte picks the use: bit 0 plays the rest as a recording, bit 1
// puts a valid header before it (so mutations reach the records); otherwise
// the rest is one packet for both roles.
#include "FuzzClock.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "core/PlimBase.h"
#include "render/Renderable.h"
#include "serial/RootObjectBase.h"
#include "core/RuntimeClass.h"
#include "net/NetRole.h"
#include "util/PlimUtil.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

FuzzClock ticks;
std::string recordingPath;

void setUp() {
    if (!ticks.startEngine())
        return;
    RuntimeClass::buildIndex();
    // Under the run's own temporary folder, and gone when the run ends.
    const char* base = getenv("TMPDIR");
    recordingPath = std::string(base && *base ? base : "/tmp") + "/replication_fuzz." + std::to_string(getpid()) + ".rec";
    atexit([] { unlink(recordingPath.c_str()); });
}

NetRole* makeRole(bool server) { return new NetRole(PLIM_BUILD_NAME, NetHost::WIRE_VERSION, "fuzz", 0, server); }

void buildWorld(NetRole* server) {
    RootObjectBase* root = new RootObjectBase();
    server->registerObject(root, 1);
    Renderable* ship = new Renderable();
    server->registerObject(ship, 0);
    root->addChild(ship);
    PlimBase* cargo = new PlimBase();
    server->registerObject(cargo, 0);
    ship->addChild(cargo);
}

void checkMap(NetRole* role) {
    for (auto& entry : role->objectMap)
        if (!entry.second || entry.second->objectUID != entry.first)
            abort();
}

Packet* packetOf(const uint8_t* data, size_t size) {
    Packet* p = new Packet(Packet::FLAG_FILTER1, static_cast<int32_t>(size));
    if (size > 0)
        memcpy(p->buffer, data, size);
    p->bWriting = false;
    p->size = static_cast<int32_t>(size);
    p->cursor = p->buffer;
    return p;
}

void asPacket(const uint8_t* data, size_t size) {
    NetRole* server = makeRole(true);
    buildWorld(server);
    NetRole* client = makeRole(false);
    Packet snapshot(Packet::FLAG_FILTER1, -1);
    server->writeSnapshot(&snapshot);
    snapshot.rewindToRead();
    client->processPacket(&snapshot);
    server->outPacket.reset();
    for (NetRole* role : {client, server}) {
        Packet* p = packetOf(data, size);
        role->processPacket(p);
        delete p;
        checkMap(role);
        // The world below the role still ticks.
        role->tick(0.0, 0.0);
        checkMap(role);
    }
    delete client;
    delete server;
}

void asRecording(const uint8_t* data, size_t size, bool withHeader) {
    FILE* f = fopen(recordingPath.c_str(), "wb");
    if (!f)
        return;
    if (withHeader) {
        char header[52] = {};
        strcpy(header, "Corvana2demo");
        strcpy(header + 32, "2.60");
        fwrite(header, 1, sizeof header, f);
    }
    if (size > 0)
        fwrite(data, 1, size, f);
    fclose(f);
    NetRole* role = makeRole(false);
    role->startPlayback(UString(recordingPath.c_str()));
    for (int i = 0; i < 32 && role->quitReason == 0; ++i) {
        ticks.now += 500;
        PLIM->frameTimer.previousStart = PLIM->frameTimer.startTime;
        PLIM->frameTimer.startTime += 0.5;
        role->tick(0.0, 0.0);
        checkMap(role);
    }
    delete role;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 200000)
        return 0;
    setUp();
    uint8_t mode = data[0];
    if (mode & 1)
        asRecording(data + 1, size - 1, (mode & 2) != 0);
    else
        asPacket(data + 1, size - 1);
    ReplicationRole::current = nullptr;
    return 0;
}
