#pragma once

#include "demo/Effect.h"
#include "demo/EffectParams.h"

#include <cstdint>
#include <vector>

// One effect with the parameter block the timeline would hold for it.
struct EffectSlot {
    Effect* effect;
    EffectParams block;
};

// A block with the running flag set and everything else zero.
EffectParams RunningBlock();

// Runs the effects the way the demo driver does: per pass, the identity
// matrix, then for each effect in order its block, the pass, the update, the
// pattern step cleared in the block, and the render when it is enabled.
void RunPass(std::vector<EffectSlot>& slots, int32_t pass, uint32_t dt);
void RunFrame(std::vector<EffectSlot>& slots, uint32_t dt);
