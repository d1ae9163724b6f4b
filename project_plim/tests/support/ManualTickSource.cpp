#include "ManualTickSource.h"

ManualTickSource::ManualTickSource(uint32_t start) : now(start) { TickSource::install(this); }

ManualTickSource::~ManualTickSource() { TickSource::install(nullptr); }

void ManualTickSource::delay(uint32_t milliseconds) {
    delays.push_back(milliseconds);
    now += milliseconds;
}
