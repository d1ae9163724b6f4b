#pragma once
// Counts of the process's heap traffic through operator new and delete. Only
// the benchmarks that link HeapCount.cpp replace those operators.
namespace HeapCount {
long allocations();
long releases();
long bytes(); // asked for by all allocations so far
} // namespace HeapCount
