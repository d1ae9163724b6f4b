#pragma once
// Writes a recording of a network game: a 52-byte header (build name,
// version, host identifier) and one record per executed packet (time stamp,
// length, bytes). Every record is flushed, so a crash loses nothing written.
#include "core/PlimBase.h"
#include "util/UString.h"

#include <cstdint>

class FileStream;
class Packet;

class NetRecording : public PlimBase {
public:
    enum { NAME_FIELD = 32, VERSION_FIELD = 16, HEADER_SIZE = 52, RECORD_HEADER = 12 };

    // A file that cannot be created leaves file null and later writes do nothing.
    explicit NetRecording(const UString& fileName);
    ~NetRecording() override;

    void writeHeader(int32_t hostUID);
    // Time stamp, length and bytes from the packet's buffer start.
    void writePacket(Packet* packet);

    FileStream* file = nullptr;
};
