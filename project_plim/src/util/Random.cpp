#include "Random.h"

#include <random>

namespace {
std::mt19937& generator() {
    static std::mt19937 instance;
    return instance;
}
} // namespace

void Random::seed(uint32_t value) { generator().seed(value); }

int32_t Random::next() { return int32_t(generator()() >> 1); }
