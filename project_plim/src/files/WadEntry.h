#pragma once
// One entry of the data-archive directory.
#include "util/UString.h"

#include <cstdint>

struct WadEntry {
    UString fileName;     // name as stored in the archive, equal to its key
    UString wadName;      // archive file that holds it
    uint32_t offset = 0;  // absolute position of the data in the archive
    uint32_t size = 0;    // length of the contents
    uint32_t storedSize = 0;  // bytes occupied in the archive; < size when compressed

    bool isCompressed() const { return storedSize != size; }
};
