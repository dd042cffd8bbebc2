#pragma once

#include "demo/Effect.h"

#include <cstdint>

// Puts the 3D projection onto the pass's identity matrix for the effects that
// follow it. The aspect comes from the 2D space, not the viewport, so the glow
// pass and the main pass see the same projection.
class PerspectiveEffect : public Effect {
public:
    PerspectiveEffect();
    virtual ~PerspectiveEffect();

    int32_t Init() override;
    int32_t Uninit() override;
    void Render() override;
    int32_t Update(uint32_t dt) override;
};
