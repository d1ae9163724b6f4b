#include "NetStats.h"

NetStats::NetStats(double startTime) : startTime(startTime), endTime(startTime + 1.0) {}

void NetStats::add(const NetStats* other) {
    packetsOut += other->packetsOut;
    packetsIn += other->packetsIn;
    bytesOut += other->bytesOut;
    bytesIn += other->bytesIn;
    payloadBytesOut += other->payloadBytesOut;
    payloadBytesIn += other->payloadBytesIn;
    resendRequests += other->resendRequests;
    resends += other->resends;
    packetsLost += other->packetsLost;
    outOfOrder += other->outOfOrder;
    for (int i = 0; i < COMMAND_KINDS; ++i)
        commandCounts[i] += other->commandCounts[i];
}
