#include "effects/GlowComposeEffect.h"

#include "effects/GlowBeginEffect.h"
#include "effects/RenderHelper.h"
#include "platform/CrtRandom.h"
#include "resources/ImageRegistry.h"

#include <cmath>

namespace {
constexpr float kStripHeight = 0.01f;
constexpr float kLastGlowInset = 0.25f;
constexpr float kGlowInsetStep = 0.05f;
}

GlowComposeEffect::GlowComposeEffect() = default;

GlowComposeEffect::~GlowComposeEffect() = default;

int32_t GlowComposeEffect::Init()
{
    glowTexture = imageRegistry->Find(kGlowTargetName);
    if (!glowTexture)
        return 1;
    sceneTexture = imageRegistry->Find(kSceneTargetName);
    if (!sceneTexture)
        return 1;
    state.wobbleTime = 0.0f;
    return 0;
}

int32_t GlowComposeEffect::Uninit()
{
    return 0;
}

int32_t GlowComposeEffect::Update(uint32_t dt)
{
    state.wobbleTime = float(state.wobbleTime + dt * 0.001);
    if (params.flags[kPatternStepFlag] != 0)
        state.wobbleTime = float(CrtRand());
    return 0;
}

void GlowComposeEffect::Render()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    renderHelper->SetSphereMap(false);

    if (pass == kGlowPass) {
        Capture(glowTexture, GL_LUMINANCE);
        return;
    }
    Capture(sceneTexture, GL_RGB);

    glPushMatrix();
    renderHelper->SetViewport(0, 0);
    renderHelper->Clear(0.0f, 0.0f, 0.0f);
    renderHelper->BeginOrtho();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    renderHelper->DisableBlend();
    sceneTexture->Bind();
    DrawStrips();
    DrawGlowLayers();
    renderHelper->EndOrtho();
    glPopMatrix();
}

void GlowComposeEffect::Capture(Texture* texture, GLenum internalFormat)
{
    glPushMatrix();
    renderHelper->BeginOrtho();
    renderHelper->CopyToTexture(texture, internalFormat);
    renderHelper->EndOrtho();
    glPopMatrix();
}

// Each strip's lower edge samples with the previous strip's offset, so the
// strips join without gaps and the picture shears between displacements.
// Single-precision stepping gives 101 strips, the last one just past the top.
void GlowComposeEffect::DrawStrips()
{
    const float w = renderHelper->Width();
    const float h = renderHelper->Height();
    const GLint right = GLint(w);
    const double phaseSpeed = std::cos(0.9 * state.wobbleTime) * 8.0;
    float prev = 0.0f;
    for (float y = 0.0f; y < 1.0f; y += kStripHeight) {
        const float y1 = y + kStripHeight;
        const float amplitude = float(0.0002 / std::tan(state.wobbleTime + phaseSpeed * y));
        const float offset = float(CrtRand() % 11 - 5) * amplitude;
        glBegin(GL_QUADS);
        glTexCoord2f(prev, y);
        glVertex2i(0, GLint(h * y));
        glTexCoord2f(offset, y1);
        glVertex2i(0, GLint(h * y1));
        glTexCoord2f(1.0f + offset, y1);
        glVertex2i(right, GLint(h * y1));
        glTexCoord2f(1.0f + prev, y);
        glVertex2i(right, GLint(h * y));
        glEnd();
        prev = offset;
    }
}

// The 16 by 16 glow, magnified with linear filtering, is added six times at
// insets 0 to 0.25, so bright areas bleed outward from the screen's middle.
void GlowComposeEffect::DrawGlowLayers()
{
    renderHelper->EnableBlend(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.3f, 0.4f, 0.2f, 0.5f);
    for (float inset = 0.0f; inset <= kLastGlowInset; inset += kGlowInsetStep)
        renderHelper->DrawFullScreenShifted(glowTexture, 0.0f, 0.0f, inset);
}
