#pragma once
// Reading back the protected blocks the menu layer stores in the user folder.
#include "EngineTestFolder.h"
#include "files/SaveBlob.h"

#include <cstdint>
#include <string>
#include <vector>

// A little-endian int32_t field of a block.
inline int32_t int32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return int32_t(uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 | uint32_t(bytes[offset + 2]) << 16 |
                   uint32_t(bytes[offset + 3]) << 24);
}

// The block of size bytes stored as name in the file at path, unwrapped;
// empty when it does not check out.
inline std::vector<uint8_t> storedBlock(const std::string& path, const char* name, int size) {
    SaveBlob blob;
    if (!blob.loadFromFile(path.c_str(), SaveBlob::computeKeyValue(name, "2.60"), size)) return {};
    return std::vector<uint8_t>(blob.data, blob.data + blob.length);
}
