#pragma once
// Abstract byte source with a known size; every file read goes through one.

class Stream {
public:
    Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    virtual ~Stream() = default;

    // Reads up to count bytes; returns how many were read (-1 when the
    // underlying file is not open).
    virtual int read(void* buffer, int count) = 0;

    int size = 0;
};
