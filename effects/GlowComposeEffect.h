#pragma once

#include "demo/Effect.h"

#include <GL/gl.h>

#include <cstdint>

class Texture;

// What the composition carries from one frame to the next.
struct GlowComposeState {
    float wobbleTime = 0.0f;
};

// Last in the effect list. In the glow pass it captures the tiny picture as
// luminance; in the main pass it captures the scene square and composes the
// window: the scene stretched over it in sideways-wobbling strips, then the
// glow added six times at growing zoom.
class GlowComposeEffect : public Effect {
public:
    GlowComposeEffect();
    virtual ~GlowComposeEffect();

    // 1 when the begin effect has not made the render targets.
    int32_t Init() override;
    int32_t Uninit() override;
    void Render() override;
    // Advances the wobble; any pattern step throws it to a random phase.
    int32_t Update(uint32_t dt) override;

    float WobbleTime() const { return state.wobbleTime; }
    // Checkpoints.
    const GlowComposeState& State() const { return state; }
    void RestoreState(const GlowComposeState& saved) { state = saved; }

private:
    void Capture(Texture* texture, GLenum internalFormat);
    void DrawStrips();
    void DrawGlowLayers();

    Texture* sceneTexture = nullptr;
    Texture* glowTexture = nullptr;
    GlowComposeState state;
};
