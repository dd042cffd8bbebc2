#pragma once

#include <cstddef>
#include <cstdint>

// The parameter block of one effect slot. Effects read it at fixed places and
// the driver copies it whole, so its layout is part of the interface.
struct EffectParams {
    double dbl[10];
    int32_t lng[5];
    uint8_t flags[12];
};

// flags[0]: the effect is drawn only while it is set.
constexpr int kRunningFlag = 0;
// flags[10]: the pattern step delivered this frame, 0 for none.
constexpr int kPatternStepFlag = 10;

static_assert(sizeof(EffectParams) == 112);
static_assert(offsetof(EffectParams, lng) == 80);
static_assert(offsetof(EffectParams, flags) == 100);
