#pragma once
// The whole contents of one file, read through the file manager (from the data
// archive or the disk) into one buffer.
#include "core/PlimBase.h"
#include "util/UString.h"

#include <cstdint>

class MemoryFile : public PlimBase {
public:
    // The empty name gives an empty file and opens nothing. A missing file, or
    // one that delivers fewer bytes than announced, is a fatal error; given
    // problem, it is not: the file is then empty and *problem says why.
    explicit MemoryFile(const UString& fileName, UString* problem = nullptr);
    ~MemoryFile() override;

    // Frees the contents once they are no longer needed (a decoded image).
    void releaseData();

    uint8_t* data = nullptr;  // null when empty
    int size = 0;
    UString fileName;         // the name it was read by, for messages
};
