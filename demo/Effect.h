#pragma once

#include "demo/EffectParams.h"

#include <cstdint>
#include <cstring>

class ImageRegistry;
class RenderHelper;

// Abstract base of every visual effect. The driver fills the fields: the two
// pointers before Init, the params and the pass before every Update.
class Effect {
public:
    virtual int32_t Init() = 0;
    virtual int32_t Uninit() = 0;
    virtual void Render() = 0;
    // dt: milliseconds since the previous frame. The result is ignored.
    virtual int32_t Update(uint32_t dt) = 0;

    void SetImageRegistry(ImageRegistry* registry) { imageRegistry = registry; }
    void SetRenderHelper(RenderHelper* helper) { renderHelper = helper; }
    void SetParams(const EffectParams& block) { std::memcpy(&params, &block, sizeof(EffectParams)); }
    void SetPass(int32_t index) { pass = index; }
    bool IsEnabled() const { return params.flags[kRunningFlag] != 0; }

protected:
    // Effects are destroyed as their own type, never through this base.
    ~Effect() = default;

    ImageRegistry* imageRegistry = nullptr;
    EffectParams params{};
    RenderHelper* renderHelper = nullptr;
    int32_t pass = 0;
};
