#include "effects/GlowBeginEffect.h"

#include "effects/RenderHelper.h"
#include "resources/ImageRegistry.h"

namespace {
constexpr int32_t kRgbChannels = 3;
}

GlowBeginEffect::GlowBeginEffect() = default;

GlowBeginEffect::~GlowBeginEffect() = default;

int32_t GlowBeginEffect::Init()
{
    imageRegistry->CreateRenderTarget(kSceneTargetName, kSceneTargetSize, kRgbChannels);
    imageRegistry->CreateRenderTarget(kGlowTargetName, kGlowTargetSize, kRgbChannels);
    return 0;
}

int32_t GlowBeginEffect::Uninit()
{
    return 0;
}

void GlowBeginEffect::Render()
{
    const int32_t side = pass == kGlowPass ? kGlowTargetSize : kSceneTargetSize;
    renderHelper->SetViewport(side, side);
    // glClear ignores the viewport: the whole frame goes dark blue.
    renderHelper->Clear(0.0f, 0.025f, 0.05f);
}

int32_t GlowBeginEffect::Update(uint32_t dt)
{
    return 0;
}
