#pragma once
// A clock reading and an allocation count at one point of a frame. Only the
// benchmarks that link HeapCount.cpp take one.
struct FrameMark {
    double cpu = 0.0;
    long allocations = 0;
    void take();
};
