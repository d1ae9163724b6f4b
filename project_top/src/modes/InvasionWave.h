#pragma once
// The invasion's fifty waves: one row per enemy spawner, in creation order.
#include <cstdint>
#include <vector>

struct InvasionWave {
    int32_t wave;      // 1-based
    int32_t type;      // EnemySpawner::Type
    float start;       // seconds on the spawner's clock
    float end;
    int32_t groups;
    int32_t perGroup;
    bool evenly;
    uint32_t tint;     // ARGB colour, 0, or the kind's placement / zeppelin type

    // The rows of every wave, in wave order.
    static const std::vector<InvasionWave>& table();
    // The rows of one wave; none outside the table.
    static std::vector<InvasionWave> rowsOf(int wave);
    // The highest wave number in the table.
    static int lastWave();
};
