#pragma once
// A heap buffer read like a file; its creator fills data directly.
#include "Stream.h"

#include <cstdint>

class MemoryStream : public Stream {
public:
    explicit MemoryStream(int size);  // contents unset; a negative size gives 0
    ~MemoryStream() override;

    int read(void* buffer, int count) override;
    // Hands the whole buffer (size bytes, for delete[]) to the caller, which
    // then need not copy it; the stream is left empty.
    uint8_t* releaseData();

    uint8_t* data = nullptr;
    int cursor = 0;
};
