#include "NetPlayback.h"

#include "util/FileStream.h"
#include "core/Logger.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"
#include "NetRecording.h"
#include "NetTime.h"

#include <cstring>

NetPlayback::NetPlayback(const UString& fileName) : fileName(fileName) {
    file = new FileStream(fileName, FileStream::MODE_READ);
    if (!file->bOk) {
        delete file;
        file = nullptr;
    }
}

NetPlayback::~NetPlayback() { delete file; }

void NetPlayback::stop(int64_t at, const char* reason) {
    bFinished = true;
    logTagged("NetPlayback", "Playback of %s ends at byte %lld: %s.", fileName.c_str(), static_cast<long long>(at),
              reason);
}

void NetPlayback::fail(const char* reason) { stop(recordOffset, reason); }

bool NetPlayback::readTimeStamp() {
    double stamp = 0.0;
    int got = file->read(&stamp, 8);
    if (got == 0) {
        bFinished = true;
        return false;
    }
    if (got != 8) {
        stop(offset, "record cut short");
        return false;
    }
    nextTime = stamp;
    return true;
}

void NetPlayback::playbackHeader(uint32_t* hostUID) {
    if (!file)
        return;
    char name[NetRecording::NAME_FIELD + 1] = {};
    char version[NetRecording::VERSION_FIELD + 1] = {};
    int32_t host = 0;
    if (file->read(name, NetRecording::NAME_FIELD) != NetRecording::NAME_FIELD ||
        file->read(version, NetRecording::VERSION_FIELD) != NetRecording::VERSION_FIELD ||
        file->read(&host, 4) != 4) {
        stop(0, "header cut short");
        return;
    }
    // Only the strings up to their zero bytes count.
    if (strcmp(name, PLIM_BUILD_NAME) != 0) {
        stop(0, "recorded by another game");
        return;
    }
    if (strcmp(version, PLIM_VERSION_STRING) != 0) {
        stop(NetRecording::NAME_FIELD, "recorded by another version");
        return;
    }
    *hostUID = static_cast<uint32_t>(host);
    offset = NetRecording::HEADER_SIZE;
    if (!readTimeStamp())
        return;
    bFinished = false;
    timeOffset = netTime() - nextTime;
    nextTime += timeOffset;
}

Packet* NetPlayback::nextPacket() {
    if (!file || bFinished || nextTime > netTime())
        return nullptr;
    uint32_t length = 0;
    if (file->read(&length, 4) != 4) {
        stop(offset, "record cut short");
        return nullptr;
    }
    if (length > MAX_RECORD) {
        stop(offset, "record longer than 65536 bytes");
        return nullptr;
    }
    int n = static_cast<int>(length);
    Packet* packet = new Packet(Packet::FLAG_FILTER1, n);
    if (n > 0 && file->read(packet->buffer, n) != n) {
        delete packet;
        stop(offset, "record cut short");
        return nullptr;
    }
    packet->bWriting = false;
    packet->size = n;
    packet->cursor = packet->buffer;
    packet->time = nextTime - timeOffset;
    recordOffset = offset;
    offset += NetRecording::RECORD_HEADER + n;

    if (!readTimeStamp())
        return packet;
    nextTime += timeOffset;
    double now = netTime();
    if (PLIM && PLIM->input && PLIM->input->isKeyDown(KEY_F11) && nextTime > now) {
        // The skipped gap stays out of the rest of the playback.
        timeOffset -= nextTime - now;
        nextTime = now;
    }
    return packet;
}
