#pragma once

#include "demo/Effect.h"

#include <cstdint>

class Texture;

// The "lumora" picture over the whole 2D space, tinted violet, as the
// background of the main pass. It adds nothing to the glow.
class LogoEffect : public Effect {
public:
    LogoEffect();
    virtual ~LogoEffect();

    // 1 when "lumora" is not registered.
    int32_t Init() override;
    int32_t Uninit() override;
    void Render() override;
    int32_t Update(uint32_t dt) override;

private:
    Texture* logo = nullptr;
};
