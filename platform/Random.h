// Stands in for the C runtime's rand and srand of the Windows compiler the
// shows were made with.
//
// Contract: Rand answers 0..32767 (RAND_MAX 0x7FFF) from the runtime's linear
// congruential sequence (state = state * 214013 + 2531011, answer = bits 16..30
// of the new state), and SeedRand sets the state. The state starts at 1, as
// the runtime's does, so a show that never seeds gets the same numbers on
// every run and on every machine. A capture seeds it with kCaptureRandomSeed
// before the show starts, so that random effects come out identical in every
// capture whatever ran before. RandState answers the state, so that a player
// that rewinds the show can hand the same numbers out again. The same code
// on every port, so a show's random numbers are alike on Linux and Windows.
#ifndef HALVENOR_PLATFORM_RANDOM_H
#define HALVENOR_PLATFORM_RANDOM_H

#include <cstdint>

namespace Platform {

constexpr int kRandMax = 0x7FFF;
constexpr uint32_t kCaptureRandomSeed = 1;

int Rand();
void SeedRand(uint32_t seed);
uint32_t RandState();

}  // namespace Platform

#endif
