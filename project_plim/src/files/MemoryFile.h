#pragma once
// The whole contents of one file, read through the file manager (from the data
// archive or the disk) into one buffer.
#include "core/PlimBase.h"
#include "util/UString.h"

#include <climits>
#include <cstdint>

class MemoryFile : public PlimBase {
public:
    // The empty name gives an empty file and opens nothing. A missing file, or
    // one that delivers fewer bytes than announced, is a fatal error; given
    // problem, it is not: the file is then empty and *problem says why.
    explicit MemoryFile(const UString& fileName, UString* problem = nullptr);
    // Only the file's first headBytes bytes (all of a shorter file), read as
    // above; a compressed archive entry is inflated no further.
    MemoryFile(const UString& fileName, int headBytes, UString* problem);
    ~MemoryFile() override;

    // Frees the contents once they are no longer needed (a decoded image).
    void releaseData();

    uint8_t* data = nullptr;  // null when empty
    int size = 0;
    UString fileName;         // the name it was read by, for messages
    // The file could not be read (the problem given says why, in the file
    // manager's words), as against read and then found wanting by its reader.
    bool bUnread = false;

    // headBytes for the whole file.
    static constexpr int WHOLE_FILE = INT_MAX;

protected:
    // Reads the file's first headBytes bytes in place of what was held.
    void read(int headBytes, UString* problem);
};
