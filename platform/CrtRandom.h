#pragma once

#include <cstdint>

// The C library random sequence of the platform the show was made for:
// 0..32767, state starting at 1, never seeded. Every random value of the show
// comes from this one sequence, shared by all effects, so frames repeat
// exactly from run to run. glibc's rand has another range and sequence.
int32_t CrtRand();

// For tests and the offline renderer, which replay the show from its start.
void CrtSeed(uint32_t seed);
// Where the sequence stands: CrtSeed of it goes on from there, as the
// preview's checkpoints do.
uint32_t CrtState();
