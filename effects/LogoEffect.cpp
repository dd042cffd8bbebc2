#include "effects/LogoEffect.h"

#include "effects/GlowBeginEffect.h"
#include "effects/RenderHelper.h"
#include "resources/ImageRegistry.h"

LogoEffect::LogoEffect() = default;

LogoEffect::~LogoEffect() = default;

int32_t LogoEffect::Init()
{
    logo = imageRegistry->Find("lumora");
    return logo ? 0 : 1;
}

int32_t LogoEffect::Uninit()
{
    return 0;
}

void LogoEffect::Render()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    renderHelper->SetSphereMap(false);
    glPushMatrix();
    renderHelper->BeginOrtho();
    if (pass != kGlowPass) {
        glColor4f(0.5f, 0.0f, 1.0f, 1.0f);
        // Blending through the helper also turns depth testing off, so the
        // logo writes no depth and never hides the mesh drawn after it.
        renderHelper->EnableBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        renderHelper->DrawFullScreen(logo);
    }
    renderHelper->EndOrtho();
    glPopMatrix();
}

int32_t LogoEffect::Update(uint32_t dt)
{
    return 0;
}
