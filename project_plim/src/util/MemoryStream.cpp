#include "MemoryStream.h"

#include <cstring>

MemoryStream::MemoryStream(int size) {
    this->size = size > 0 ? size : 0;
    data = new uint8_t[this->size];
}

MemoryStream::~MemoryStream() { delete[] data; }

int MemoryStream::read(void* buffer, int count) {
    int n = size - cursor;
    if (count < n) n = count;
    if (n <= 0) return 0;
    memcpy(buffer, data + cursor, size_t(n));
    cursor += n;
    return n;
}

uint8_t* MemoryStream::releaseData() {
    uint8_t* held = data;
    data = nullptr;
    size = cursor = 0;
    return held;
}
