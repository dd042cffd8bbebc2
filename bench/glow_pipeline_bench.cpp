#include "app/GLWindow.h"
#include "app/ProcessObjects.h"
#include "effects/GlowBeginEffect.h"
#include "effects/GlowComposeEffect.h"
#include "effects/LogoEffect.h"
#include "effects/PerspectiveEffect.h"
#include "effects/PictureEffect.h"
#include "effects/RenderHelper.h"
#include "resources/ImageRegistry.h"

#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// An 800 by 600 window on the offscreen driver with every effect of the
// pipeline set up on solid pictures, run in two passes the way the driver
// runs them.
class Pipeline {
public:
    Pipeline()
    {
        SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
        objects.Window().AllowMultisample(false);
        ready = objects.OpenWindow({"bench", 800, 600, 32, false});
        if (!ready)
            return;
        helper = &objects.Helper();
        registry.CreateSolid("lumora", 255, 255, 255);
        registry.CreateSolid("noise", 128, 128, 128);
        registry.CreateSolid("logo", 255, 0, 0);
        for (int i = 1; i <= 6; ++i)
            registry.CreateSolid("pic" + std::to_string(i), 0, 40 * i, 0);
        for (Effect* effect : effects) {
            effect->SetImageRegistry(&registry);
            effect->SetRenderHelper(helper);
            ready = ready && effect->Init() == 0;
        }
        block.flags[kRunningFlag] = 1;
    }

    bool Ready() const { return ready; }

    void Frame(uint32_t dt)
    {
        for (int32_t pass = 0; pass < 2; ++pass) {
            glLoadIdentity();
            for (Effect* effect : effects) {
                effect->SetParams(block);
                effect->SetPass(pass);
                effect->Update(dt);
                effect->Render();
            }
            glFlush();
        }
        // The rasteriser works behind the calls; wait for it to count it.
        glFinish();
    }

private:
    ProcessObjects objects;
    RenderHelper* helper = nullptr;
    ImageRegistry registry;
    GlowBeginEffect begin;
    PerspectiveEffect perspective;
    LogoEffect logo;
    PictureEffect picture;
    GlowComposeEffect compose;
    std::vector<Effect*> effects{&begin, &perspective, &logo, &picture, &compose};
    EffectParams block{};
    bool ready = false;
};

// One whole frame: glow pass, main pass, capture and composition.
void BM_PipelineFrame(benchmark::State& state)
{
    Pipeline pipeline;
    if (!pipeline.Ready()) {
        state.SkipWithError("no OpenGL context on the offscreen driver");
        return;
    }
    for (auto _ : state)
        pipeline.Frame(16);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PipelineFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
