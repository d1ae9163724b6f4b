#include "HeapCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocationCount{0};
std::atomic<long> releaseCount{0};
std::atomic<long> byteCount{0};

void* allocate(std::size_t size) {
    ++allocationCount;
    byteCount += long(size);
    if (void* p = std::malloc(size ? size : 1)) return p;
    std::abort();
}

void release(void* p) {
    if (p) ++releaseCount;
    std::free(p);
}
} // namespace

namespace HeapCount {
long allocations() { return allocationCount; }
long releases() { return releaseCount; }
long bytes() { return byteCount; }
} // namespace HeapCount

// gcc's new/free pairing check does not know that these operators are each
// other's counterparts.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
