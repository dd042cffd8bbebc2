#include "tests/support/EffectPasses.h"

#include <GL/gl.h>

EffectParams RunningBlock()
{
    EffectParams block{};
    block.flags[kRunningFlag] = 1;
    return block;
}

void RunPass(std::vector<EffectSlot>& slots, int32_t pass, uint32_t dt)
{
    glLoadIdentity();
    for (EffectSlot& slot : slots) {
        slot.effect->SetParams(slot.block);
        slot.effect->SetPass(pass);
        slot.effect->Update(dt);
        slot.block.flags[kPatternStepFlag] = 0;
        if (slot.effect->IsEnabled())
            slot.effect->Render();
    }
    glFlush();
}

void RunFrame(std::vector<EffectSlot>& slots, uint32_t dt)
{
    RunPass(slots, 0, dt);
    RunPass(slots, 1, dt);
}
