#include "PlimNetwork.h"

#include "core/Logger.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "core/RuntimeClass.h"
#include "PlimEmulatedPacket.h"

#include <cstring>

RuntimeClass PlimNetwork::runtimeClass("PlimNetwork", &PlimNetwork::runtimeClass, nullptr);

RuntimeClass* PlimNetwork::getClass() { return &runtimeClass; }

PlimNetwork::PlimNetwork() {
    logTagged("PlimNetwork", "Starting...");
    bool emulate = true;
    if (PLIM && PLIM->config)
        PLIM->config->readSetting(getClass()->name, "bEmulateLocalhost", emulate);
    bEmulateLocalhost = emulate;
    logTagged("PlimNetwork", "Done.");
}

PlimNetwork::~PlimNetwork() {
    logTagged("~PlimNetwork", "Cleaning up...");
    emulatedPackets.destroyChildren();
    logTagged("~PlimNetwork", "Done.");
}

void PlimNetwork::queueEmulatedPacket(const NetAddress& from, const NetAddress& to, const void* bytes, int count) {
    if (count < 0 || count > MAX_EMULATED_DATAGRAM) {
        logTagged("queueEmulatedPacket", "Refused a datagram of %d bytes from %s.", count, from.toString().c_str());
        return;
    }
    emulatedPackets.addChild(new PlimEmulatedPacket(from, to, bytes, count));
}

bool PlimNetwork::receiveEmulatedPacket(const NetAddress& own, NetAddress* from, void* buffer, int* count) {
    for (BasicLink* l = emulatedPackets.firstChild; l; l = l->next) {
        if (l->bDestroyPending || l->bSkip)
            continue;
        PlimEmulatedPacket* p = static_cast<PlimEmulatedPacket*>(l);
        if (!p->to.sameEndpoint(own))
            continue;
        emulatedPackets.removeChild(p);
        *from = p->from;
        *count = p->length;
        if (p->length > 0)
            memcpy(buffer, p->data, p->length);
        p->deleteMe();
        return true;
    }
    return false;
}

void PlimNetwork::flushEmulatedPackets(const NetAddress& from) {
    BasicLink* l = emulatedPackets.firstChild;
    while (l) {
        BasicLink* next = l->next;
        PlimEmulatedPacket* p = static_cast<PlimEmulatedPacket*>(l);
        if (p->from.sameEndpoint(from))
            p->deleteMe();
        l = next;
    }
    logTagged("flushEmulatedPackets", "Flushed packets for %s, queue length is now %d.", from.toString().c_str(),
              getQueueLength());
}

uint16_t PlimNetwork::nextEmulatedPort() { return emulatedPortCounter++; }

int PlimNetwork::getQueueLength() const { return static_cast<int>(emulatedPackets.getNumChildren()); }

UString PlimNetwork::errorText(int error) { return UString(strerror(error)); }
