#include "platform/CrtRandom.h"

namespace {
uint32_t g_state = 1;
}

int32_t CrtRand()
{
    g_state = g_state * 214013u + 2531011u;
    return int32_t((g_state >> 16) & 0x7FFFu);
}

void CrtSeed(uint32_t seed)
{
    g_state = seed;
}

uint32_t CrtState()
{
    return g_state;
}
