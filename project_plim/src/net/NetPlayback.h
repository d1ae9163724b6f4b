#pragma once
// Reads a recording back: hands out its packets at the pace at which they were
// recorded. A damaged file (another build, a record cut short, an impossible
// length) ends the playback with one log line naming the byte offset.
#include "core/PlimBase.h"
#include "util/UString.h"

#include <cstdint>

class FileStream;
class Packet;

class NetPlayback : public PlimBase {
public:
    // No recorded packet is longer than the role ever sends.
    enum { MAX_RECORD = 65536 };

    explicit NetPlayback(const UString& fileName);
    ~NetPlayback() override;

    // Checks the header and reads the first time stamp; the recorded host
    // identifier lands in hostUID.
    void playbackHeader(uint32_t* hostUID);
    // The next packet once it is due, else null; the caller deletes it.
    Packet* nextPacket();
    // Ends the playback, logging the reason with the offset of the record
    // handed out last (the role calls it for a packet it cannot execute).
    void fail(const char* reason);

    bool bFinished = true;
    FileStream* file = nullptr;
    double nextTime = 0.0;
    double timeOffset = 0.0;
    UString fileName;
    // Byte offsets of the next record and of the one handed out last.
    int64_t offset = 0;
    int64_t recordOffset = 0;

private:
    void stop(int64_t at, const char* reason);
    // Reads the time stamp of the record at offset; false at the end or a cut.
    bool readTimeStamp();
};
