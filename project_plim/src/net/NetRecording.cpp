#include "NetRecording.h"

#include "util/FileStream.h"
#include "serial/Packet.h"
#include "util/PlimUtil.h"

#include <cstring>

NetRecording::NetRecording(const UString& fileName) {
    file = new FileStream(fileName, FileStream::MODE_WRITE);
    if (!file->bOk) {
        delete file;
        file = nullptr;
    }
}

NetRecording::~NetRecording() { delete file; }

void NetRecording::writeHeader(int32_t hostUID) {
    if (!file)
        return;
    char name[NAME_FIELD] = {};
    char version[VERSION_FIELD] = {};
    strncpy(name, PLIM_BUILD_NAME, NAME_FIELD - 1);
    strncpy(version, PLIM_VERSION_STRING, VERSION_FIELD - 1);
    file->write(name, NAME_FIELD);
    file->write(version, VERSION_FIELD);
    file->write(&hostUID, 4);
    file->flush();
}

void NetRecording::writePacket(Packet* packet) {
    if (!file)
        return;
    double stamp = packet->time;
    uint32_t length = static_cast<uint32_t>(packet->getLength());
    file->write(&stamp, 8);
    file->write(&length, 4);
    file->write(packet->buffer, static_cast<int>(length));
    file->flush();
}
