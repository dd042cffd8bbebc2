// The table of the effects' parameters against what the effects read: the
// show's lineup is run with one parameter changed at a time, and the picture
// or the shared random sequence must change exactly for the listed ones.
#include "app/ShowLineup.h"
#include "effects/EffectParameters.h"
#include "effects/RenderHelper.h"
#include "platform/CrtRandom.h"
#include "resources/ImageRegistry.h"
#include "tests/support/EffectPasses.h"
#include "tests/support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int32_t kSlots = 6;
constexpr int32_t kWidth = 160;
constexpr int32_t kHeight = 120;
constexpr uint32_t kFrameMs = 40;
constexpr int kWarmUpFrames = 3;
constexpr int kProbeFrames = 4;

struct Place {
    int32_t slot;
    ParamKind kind;
    int32_t index;
};

struct Outcome {
    std::vector<uint8_t> pixels;
    int32_t nextRandom;
    bool operator==(const Outcome&) const = default;
};

// Every slot running and no picture chosen, so the heart shows.
EffectParams Baseline(int32_t slot)
{
    EffectParams block = RunningBlock();
    if (slot == 4)
        block.lng[0] = -1;
    return block;
}

// A value that differs from the baseline's; the step is the one character
// that every effect acts on.
void Change(EffectParams& block, const Place& place)
{
    switch (place.kind) {
    case ParamKind::Dbl: block.dbl[place.index] += 0.75; break;
    case ParamKind::Lng: block.lng[place.index] += 3; break;
    case ParamKind::Flag:
        block.flags[place.index] = place.index == kPatternStepFlag ? '*' : !block.flags[place.index];
        break;
    }
}

// The whole lineup on a fresh context from a fresh random sequence: a few
// frames of '*' steps reveal heart pieces, then the probed parameters hold
// their changed values for a few frames more.
Outcome RunLineup(const std::vector<Place>& probed)
{
    HeadlessGL gl(kWidth, kHeight);
    EXPECT_TRUE(gl.Ok());
    RenderHelper helper;
    ImageRegistry registry;
    registry.CreateSolid("envmap", 200, 160, 40);
    registry.CreateSolid("noise", 255, 255, 255);
    registry.CreateSolid("logo", 255, 0, 0);
    registry.CreateSolid("lumora", 90, 200, 255);
    for (int i = 1; i <= 6; ++i)
        registry.CreateSolid("pic" + std::to_string(i), 40 * i, 255 - 40 * i, 128);
    ShowLineup lineup;
    Effect* const effects[kSlots] = {&lineup.glowBegin, &lineup.perspective, &lineup.logo,
                                     &lineup.heart,     &lineup.picture,     &lineup.glowCompose};
    std::vector<EffectSlot> slots;
    for (int32_t slot = 0; slot < kSlots; ++slot) {
        effects[slot]->SetImageRegistry(&registry);
        effects[slot]->SetRenderHelper(&helper);
        EXPECT_EQ(effects[slot]->Init(), 0) << slot;
        slots.push_back({effects[slot], Baseline(slot)});
    }
    CrtSeed(1);
    for (int frame = 0; frame < kWarmUpFrames; ++frame) {
        for (EffectSlot& slot : slots)
            slot.block.flags[kPatternStepFlag] = '*';
        RunFrame(slots, kFrameMs);
    }
    for (int frame = 0; frame < kProbeFrames; ++frame) {
        for (const Place& place : probed)
            Change(slots[size_t(place.slot)].block, place);
        RunFrame(slots, kFrameMs);
        for (const Place& place : probed)
            slots[size_t(place.slot)].block = Baseline(place.slot);
    }
    Outcome outcome{gl.ReadRgba(0, 0, kWidth, kHeight), CrtRand()};
    for (Effect* effect : effects)
        effect->Uninit();
    return outcome;
}

std::string Name(const Place& place)
{
    return "scene." + std::to_string(place.slot) + "." + ParamKindWord(place.kind) + "." + std::to_string(place.index);
}

// Each listed parameter is probed alone; the unlisted ones of a slot all at
// once, and one by one only to name the culprit when together they change
// something.
TEST(EffectParameters, ExactlyTheListedParametersChangeWhatTheLineupDoes)
{
    const Outcome baseline = RunLineup({});
    ASSERT_EQ(baseline, RunLineup({})) << "the lineup must repeat exactly for the probes to mean anything";

    const struct {
        ParamKind kind;
        int32_t count;
    } arrays[] = {{ParamKind::Dbl, 10}, {ParamKind::Lng, 5}, {ParamKind::Flag, 12}};
    size_t listedSeen = 0;
    for (int32_t slot = 0; slot < kSlots; ++slot) {
        std::vector<Place> unlisted;
        for (const auto& array : arrays)
            for (int32_t index = 0; index < array.count; ++index) {
                const Place place{slot, array.kind, index};
                if (!FindEffectParameter(slot, array.kind, index)) {
                    unlisted.push_back(place);
                    continue;
                }
                ++listedSeen;
                EXPECT_FALSE(RunLineup({place}) == baseline) << Name(place) << " is listed but changes nothing";
            }
        if (RunLineup(unlisted) == baseline)
            continue;
        for (const Place& place : unlisted)
            EXPECT_TRUE(RunLineup({place}) == baseline) << Name(place) << " changes the show but is not listed";
        ADD_FAILURE() << "scene." << slot << " reads a parameter the table does not list";
    }
    // Nothing listed outside the block or the six slots, and nothing twice.
    EXPECT_EQ(listedSeen, EffectParameters().size());
}

} // namespace
