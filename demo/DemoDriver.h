#pragma once

#include "demo/DemoBase.h"
#include "demo/Timeline.h"
#include "resources/ImageRegistry.h"

#include <cstdint>

class Effect;

// Owns the timeline and the pictures, keeps the effects in their order (the
// position is the script's scene number) and runs start-up, frames and
// shut-down for the main loop.
class DemoDriver : public DemoBase {
public:
    static constexpr int32_t kMaxEffects = 64;

    DemoDriver();
    // Tools hand the timeline a host of their own (music left out, calls
    // recorded); the player uses the default one.
    explicit DemoDriver(TimelineHost& host);
    virtual ~DemoDriver();

    DemoDriver(const DemoDriver&) = delete;
    DemoDriver& operator=(const DemoDriver&) = delete;

    int32_t Init() override;
    int32_t Frame() override;
    int32_t Uninit() override;

    // A 65th effect is ignored.
    void AddEffect(Effect* effect);
    void SetPassCount(int32_t count);

    // The tools skip the disclaimer sequence and its one-second pause; the
    // player always shows it.
    void SetIntro(bool show) { showIntro = show; }
    Timeline& GetTimeline() { return timeline; }
    ImageRegistry& GetImageRegistry() { return imageRegistry; }
    int32_t EffectCount() const { return effectCount; }
    // The clock reading of the last frame, which the next one's elapsed
    // time counts from; checkpoints put it back with the clock.
    uint32_t LastFrameTime() const { return lastTime; }
    void SetLastFrameTime(uint32_t time) { lastTime = time; }

private:
    int32_t InitEffects();

    Effect* effects[kMaxEffects] = {};
    ImageRegistry imageRegistry;
    Timeline timeline;
    uint32_t lastTime = 0;
    int32_t effectCount = 0;
    int32_t passCount = 0;
    bool showIntro = true;
};
