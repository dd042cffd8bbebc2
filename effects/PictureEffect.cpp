#include "effects/PictureEffect.h"

#include "effects/GlowBeginEffect.h"
#include "effects/RenderHelper.h"
#include "platform/CrtRandom.h"
#include "resources/ImageRegistry.h"

namespace {
constexpr const char* kPictureNames[PictureEffect::kPictureCount] = {"pic1", "pic2", "pic3",
                                                                     "pic4", "pic5", "pic6"};
constexpr int kPictureIndexSlot = 0;
constexpr ScreenRect kCornerLogoRect{540.0f, 480.0f, 640.0f, 380.0f};

// -0.99 to 0 in steps of 0.01.
float RandomNoiseShift()
{
    return float(-(CrtRand() % 100) * 0.01);
}
}

PictureEffect::PictureEffect() = default;

PictureEffect::~PictureEffect() = default;

int32_t PictureEffect::Init()
{
    noise = imageRegistry->Find("noise");
    if (!noise)
        return 1;
    cornerLogo = imageRegistry->Find("logo");
    if (!cornerLogo)
        return 1;
    for (int i = 0; i < kPictureCount; ++i) {
        pictures[i] = imageRegistry->Find(kPictureNames[i]);
        if (!pictures[i])
            return 1;
    }
    return 0;
}

int32_t PictureEffect::Uninit()
{
    return 0;
}

// The decrement applies in the triggering update too.
int32_t PictureEffect::Update(uint32_t dt)
{
    if (params.flags[kPatternStepFlag] != 0)
        state.noiseOpacity = 1.0f;
    state.noiseOpacity = float(state.noiseOpacity - dt * 0.001);
    if (state.noiseOpacity < 0.0f)
        state.noiseOpacity = 0.0f;
    return 0;
}

void PictureEffect::Render()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    renderHelper->SetSphereMap(false);
    glPushMatrix();
    renderHelper->BeginOrtho();
    if (pass != kGlowPass)
        DrawPictureAndNoise();
    // Drawn in whatever colour and blending are current: in the main pass the
    // noise's, so the corner logo shows with the noise; in the glow pass those
    // the preceding effect left.
    renderHelper->DrawRect(kCornerLogoRect, cornerLogo);
    renderHelper->EndOrtho();
    glPopMatrix();
}

// The three random draws happen in every main pass, visible noise or not, so
// the shared sequence advances the same whatever the opacity.
void PictureEffect::DrawPictureAndNoise()
{
    renderHelper->EnableBlend(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (Texture* picture = ChosenPicture()) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        renderHelper->DrawFullScreen(picture);
    }
    const float du = RandomNoiseShift();
    const float dv = RandomNoiseShift();
    const float inset = RandomNoiseShift();
    glColor4f(1.0f, 1.0f, 1.0f, state.noiseOpacity);
    renderHelper->DrawFullScreenShifted(noise, du, dv, inset);
}

// Indices outside 0..5 choose no picture.
Texture* PictureEffect::ChosenPicture() const
{
    const int32_t index = params.lng[kPictureIndexSlot];
    if (index < 0 || index >= kPictureCount)
        return nullptr;
    return pictures[index];
}
