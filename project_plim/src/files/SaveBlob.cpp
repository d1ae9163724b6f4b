#include "SaveBlob.h"

#include "util/ByteOrder.h"
#include "FileManager.h"
#include "util/FileStream.h"
#include "Md5.h"
#include "util/PlimUtil.h"
#include "ReplaceFile.h"

#include <climits>
#include <cstring>
#include <new>
#include <zlib.h>

namespace {
// zlib never inflates a stream to more than this many times its length.
const uint64_t MAX_INFLATE_RATIO = 1032;

void copyField(uint8_t* field, int fieldSize, const char* text) {
    memset(field, 0, fieldSize);
    size_t n = strlen(text);
    if (n > size_t(fieldSize - 1)) n = fieldSize - 1;
    memcpy(field, text, n);
}
} // namespace

SaveBlob::~SaveBlob() { release(); }

void SaveBlob::release() {
    problem = UString();
    delete[] data;
    data = nullptr;
    length = 0;
}

int SaveBlob::computeKeyValue(const UString& fileName, const UString& keyString) {
    uint32_t h = 0;
    for (const UString* text : {&fileName, &keyString})
        for (size_t i = 0; i < text->length(); ++i)
            h = h * 33u + uint32_t(int32_t(static_cast<signed char>((*text)[i])));
    return static_cast<int>(h);
}

bool SaveBlob::encode(const void* block, int size, int keyValue) {
    release();
    if (size <= 0) return false;
    uLongf compressedSize = compressBound(uLong(size));
    uint8_t* scratch = new (std::nothrow) uint8_t[DATA_OFFSET + compressedSize];
    if (!scratch) return false;
    if (compress(scratch + DATA_OFFSET, &compressedSize, static_cast<const Bytef*>(block),
                 uLong(size)) != Z_OK) {
        delete[] scratch;
        return false;
    }
    copyField(scratch, NAME_FIELD, PLIM_BUILD_NAME);
    copyField(scratch + NAME_FIELD, VERSION_FIELD, PLIM_VERSION_STRING);
    writeUint32LE(scratch + PAYLOAD_OFFSET, uint32_t(size));
    int total = DATA_OFFSET + int(compressedSize);
    md5DigestWithKey(scratch + DIGEST_OFFSET, uint32_t(keyValue), scratch + PAYLOAD_OFFSET,
                     total - PAYLOAD_OFFSET);
    data = scratch;
    length = total;
    return true;
}

bool SaveBlob::decode(const void* blob, int blobLength, int keyValue, int expectedSize) {
    release();
    const uint8_t* bytes = static_cast<const uint8_t*>(blob);
    if (!bytes || blobLength <= PAYLOAD_OFFSET) return refuse("it is too short");
    uint8_t digest[16];
    md5DigestWithKey(digest, uint32_t(keyValue), bytes + PAYLOAD_OFFSET,
                     blobLength - PAYLOAD_OFFSET);
    if (!md5DigestEqual(digest, bytes + DIGEST_OFFSET))
        return refuse("it fails its digest check");
    if (blobLength < DATA_OFFSET) return refuse("it is too short");

    uint32_t lengthWord = readUint32LE(bytes + PAYLOAD_OFFSET);
    uLong sourceLength = uLong(blobLength - DATA_OFFSET);
    if (expectedSize >= 0 && lengthWord != uint32_t(expectedSize))
        return refuse(formatString("it holds %u bytes, not %d", lengthWord, expectedSize));
    if (lengthWord > uint32_t(INT_MAX) || uint64_t(lengthWord) > sourceLength * MAX_INFLATE_RATIO)
        return refuse("its length word is impossible");

    uint8_t* block = new (std::nothrow) uint8_t[lengthWord ? lengthWord : 1];
    if (!block) return refuse("out of memory");
    uLongf inflated = lengthWord;
    if (uncompress(block, &inflated, bytes + DATA_OFFSET, sourceLength) != Z_OK ||
        inflated != lengthWord) {
        delete[] block;
        return refuse("its data does not inflate");
    }
    data = block;
    length = int(lengthWord);
    return true;
}

int64_t SaveBlob::largestFile(int size) { return int64_t(DATA_OFFSET) + int64_t(compressBound(uLong(size))); }

bool SaveBlob::refuse(const UString& reason) {
    problem = reason;
    return false;
}

bool SaveBlob::saveToFile(const UString& path) {
    if (!data) return refuse("nothing to save");
    UString reason;
    if (replaceFile(path, data, length, &reason)) return true;
    return refuse(reason);
}

bool SaveBlob::loadFromFile(const UString& path, int keyValue, int expectedSize) {
    release();
    FileStream file(path, FileStream::MODE_READ);
    if (!file.bOk) return refuse(FileManager::whyUnreadable(path));
    int size = file.size;
    if (size <= PAYLOAD_OFFSET) return refuse("it is too short");
    if (expectedSize >= 0 && int64_t(size) > largestFile(expectedSize))
        return refuse("it is too long");
    uint8_t* scratch = new (std::nothrow) uint8_t[size];
    if (!scratch) return refuse("out of memory");
    bool ok = file.read(scratch, size) == size ? decode(scratch, size, keyValue, expectedSize)
                                               : refuse("it could not be read whole");
    delete[] scratch;
    return ok;
}
