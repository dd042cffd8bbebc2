#include "effects/PerspectiveEffect.h"

#include "effects/RenderHelper.h"

PerspectiveEffect::PerspectiveEffect() = default;

PerspectiveEffect::~PerspectiveEffect() = default;

int32_t PerspectiveEffect::Init()
{
    return 0;
}

int32_t PerspectiveEffect::Uninit()
{
    return 0;
}

// No push: the driver's identity load at the next pass undoes it.
void PerspectiveEffect::Render()
{
    renderHelper->ApplyPerspective();
}

int32_t PerspectiveEffect::Update(uint32_t dt)
{
    return 0;
}
