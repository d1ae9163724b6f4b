#include "FrameMark.h"

#include "BenchStats.h"
#include "HeapCount.h"

void FrameMark::take() {
    cpu = BenchStats::cpuSeconds();
    allocations = HeapCount::allocations();
}
