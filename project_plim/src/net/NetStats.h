#pragma once
// Traffic counters over one slice of time (one second). A connection keeps a
// history of these and a running total.
#include "core/PlimBase.h"

#include <cstdint>

class NetStats : public PlimBase {
public:
    enum { COMMAND_KINDS = 16 };

    explicit NetStats(double startTime = 0.0);

    // Adds the other record's counters; the times stay.
    void add(const NetStats* other);

    int32_t packetsOut = 0;
    int32_t packetsIn = 0;
    int32_t bytesOut = 0;
    int32_t bytesIn = 0;
    int32_t payloadBytesOut = 0;
    int32_t payloadBytesIn = 0;
    int32_t resendRequests = 0;
    int32_t resends = 0;
    int32_t packetsLost = 0;
    int32_t outOfOrder = 0;
    double startTime;
    double endTime;
    double duration = 1.0;
    int32_t commandCounts[COMMAND_KINDS] = {};
};
