#pragma once
// A heap buffer read like a file; its creator fills data directly.
#include "Stream.h"

#include <cstdint>

class MemoryStream : public Stream {
public:
    explicit MemoryStream(int size);  // contents unset; a negative size gives 0
    ~MemoryStream() override;

    int read(void* buffer, int count) override;

    uint8_t* data = nullptr;
    int cursor = 0;
};
