#pragma once
// A tick source whose time moves only when the test says so: a sleep advances
// it by exactly the time asked for and is recorded.
#include "util/TickSource.h"

#include <vector>

class ManualTickSource : public TickSource {
public:
    explicit ManualTickSource(uint32_t start = 1000);
    ~ManualTickSource() override;

    uint32_t getTicks() override { return now; }
    void delay(uint32_t milliseconds) override;
    void advance(uint32_t milliseconds) { now += milliseconds; }

    uint32_t now;
    std::vector<uint32_t> delays;
};
