#pragma once

#include "demo/Effect.h"

#include <cstdint>

class Texture;

// What the picture effect carries from one frame to the next.
struct PictureState {
    float noiseOpacity = 0.0f;
};

// One of six full-screen pictures chosen by lng[0], a layer of flickering
// noise that flashes on every pattern step and fades over a second of update
// time, and a small logo in the top-right corner that shows with the noise.
class PictureEffect : public Effect {
public:
    static constexpr int kPictureCount = 6;

    PictureEffect();
    virtual ~PictureEffect();

    // 1 at the first of "noise", "logo", "pic1".."pic6" not registered.
    int32_t Init() override;
    int32_t Uninit() override;
    void Render() override;
    int32_t Update(uint32_t dt) override;

    float NoiseOpacity() const { return state.noiseOpacity; }
    // Checkpoints.
    const PictureState& State() const { return state; }
    void RestoreState(const PictureState& saved) { state = saved; }

private:
    void DrawPictureAndNoise();
    Texture* ChosenPicture() const;

    Texture* noise = nullptr;
    Texture* cornerLogo = nullptr;
    Texture* pictures[kPictureCount] = {};
    PictureState state;
};
