#pragma once

#include "demo/Effect.h"

#include <cstdint>

// The render targets the glow pipeline draws through. The begin effect makes
// them, the compose effect captures into them and puts them on screen.
inline constexpr const char* kSceneTargetName = "buffer";
inline constexpr const char* kGlowTargetName = "glowbuffer";
inline constexpr int32_t kSceneTargetSize = 512;
inline constexpr int32_t kGlowTargetSize = 16;
// The pass whose tiny picture becomes the glow; every other pass is a main pass.
inline constexpr int32_t kGlowPass = 0;

// First in the effect list: gives each pass its square viewport at the lower
// left and clears the frame for the scene effects.
class GlowBeginEffect : public Effect {
public:
    GlowBeginEffect();
    virtual ~GlowBeginEffect();

    // Creates both render targets; cannot fail.
    int32_t Init() override;
    int32_t Uninit() override;
    void Render() override;
    int32_t Update(uint32_t dt) override;
};
