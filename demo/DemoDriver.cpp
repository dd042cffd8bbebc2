#include "demo/DemoDriver.h"

#include "app/ProcessObjects.h"
#include "demo/Effect.h"
#include "effects/DisclaimerScreen.h"
#include "platform/Clock.h"

#include <GL/gl.h>

DemoDriver::DemoDriver() = default;

DemoDriver::DemoDriver(TimelineHost& host)
    : timeline(host)
{
}

DemoDriver::~DemoDriver() = default;

void DemoDriver::AddEffect(Effect* effect)
{
    if (effectCount < kMaxEffects)
        effects[effectCount++] = effect;
}

void DemoDriver::SetPassCount(int32_t count)
{
    passCount = count;
}

int32_t DemoDriver::Init()
{
    DisclaimerScreen disclaimer;
    if (showIntro) {
        disclaimer.Load("data/png/disclaimer.png");
        disclaimer.FadeIn();
        timeline.SetProgressListener(&disclaimer);
    }
    const bool loaded = timeline.Load("data/script.txt", &imageRegistry);
    // The screen dies with this call; the timeline must not keep it.
    timeline.SetProgressListener(nullptr);
    if (!loaded)
        return 1;
    if (InitEffects() != 0)
        return 1;

    if (showIntro) {
        Sleep(1000);
        disclaimer.FadeOut();
    }
    GetMusic()->Play();
    lastTime = GetTimeMs();
    timeline.Reset();
    return 0;
}

int32_t DemoDriver::InitEffects()
{
    for (int32_t i = 0; i < effectCount; ++i) {
        effects[i]->SetRenderHelper(GetRenderHelper());
        effects[i]->SetImageRegistry(&imageRegistry);
        if (effects[i]->Init() != 0)
            return 1;
    }
    return 0;
}

int32_t DemoDriver::Frame()
{
    const uint32_t now = GetTimeMs();
    const uint32_t elapsed = now - lastTime;
    lastTime = now;

    timeline.Advance(elapsed);
    for (int32_t pass = 0; pass < passCount; ++pass) {
        glLoadIdentity();
        for (int32_t i = 0; i < effectCount; ++i) {
            EffectParams& block = timeline.Params(i);
            Effect* effect = effects[i];
            effect->SetParams(block);
            effect->SetPass(pass);
            effect->Update(elapsed);
            // A pattern step reaches each effect once: the next pass copies
            // the cleared block.
            block.flags[kPatternStepFlag] = 0;
            if (effect->IsEnabled())
                effect->Render();
        }
        glFlush();
    }
    return timeline.IsFinished() ? 2 : 0;
}

int32_t DemoDriver::Uninit()
{
    for (int32_t i = 0; i < effectCount; ++i)
        if (effects[i]->Uninit() != 0)
            return 1;
    return 0;
}
