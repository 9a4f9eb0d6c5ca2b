// Stands in for the C runtime's rand and srand (contract in Random.h).
#include "platform/Random.h"

namespace {

uint32_t state = 1;

}  // namespace

namespace Platform {

int Rand() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & static_cast<uint32_t>(kRandMax));
}

void SeedRand(uint32_t seed) { state = seed; }

uint32_t RandState() { return state; }

}  // namespace Platform
