#pragma once
// One protected saved-data blob in memory: a 32-byte build-name field, a
// 16-byte version field, a keyed MD5 digest, the block's length and the block
// compressed with zlib. Encoding holds the whole file, decoding the block.
#include "util/UString.h"

#include <cstdint>

class SaveBlob {
public:
    enum { NAME_FIELD = 32, VERSION_FIELD = 16, DIGEST_OFFSET = 48, PAYLOAD_OFFSET = 64,
           DATA_OFFSET = 68 };

    SaveBlob() = default;
    SaveBlob(const SaveBlob&) = delete;
    SaveBlob& operator=(const SaveBlob&) = delete;
    virtual ~SaveBlob();

    // Holds the protected file for size bytes of data; false for size 0 or a
    // failed compression.
    bool encode(const void* data, int size, int keyValue);
    // Holds the block of a protected file whose digest, length word and zlib
    // stream all check out. With expectedSize of 0 or more, a length word
    // other than it is refused before anything is allocated.
    bool decode(const void* blob, int length, int keyValue, int expectedSize = -1);
    // Writes the held blob over path through a temporary file; false (with
    // the system's reason in problem) when nothing is held or the file could
    // not be written whole.
    bool saveToFile(const UString& path);
    // Reads and decodes the file at path. With expectedSize given, a file too
    // long to hold a block of that size is refused before it is read.
    bool loadFromFile(const UString& path, int keyValue, int expectedSize = -1);

    // The key value of a file: h = 33h + c over the file name and then the
    // key string, each byte a signed char, wrapping at 32 bits.
    static int computeKeyValue(const UString& fileName, const UString& keyString);
    // The longest file that a block of size bytes can make.
    static int64_t largestFile(int size);

    uint8_t* data = nullptr;
    int length = 0;
    UString problem; // why the last refused load or failed save failed

private:
    void release();
    bool refuse(const UString& reason);
};
