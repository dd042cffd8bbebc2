// Playing timelines back: sets, fades, triggers, patterns, the step stack,
// start and end times.
#include "support/RecordingTimelineHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

// The driver clears the step byte of its six effects after updating them.
void ClearSteps(Timeline& timeline)
{
    for (int32_t slot = 0; slot < 6; ++slot)
        timeline.Params(slot).flags[kPatternStepFlag] = 0;
}

// Advances one frame as the driver does and returns the step delivered.
char Frame(ScriptedTimeline& t, uint32_t elapsed)
{
    t->Advance(elapsed);
    const char step = static_cast<char>(t->Params(0).flags[kPatternStepFlag]);
    ClearSteps(*t.timeline);
    return step;
}

bool AllBlocksZero(Timeline& timeline)
{
    static const EffectParams zero = {};
    for (int32_t slot = 0; slot < Timeline::kEffectSlots; ++slot)
        if (std::memcmp(&timeline.Params(slot), &zero, sizeof(zero)) != 0)
            return false;
    return true;
}

TEST(TimelineSets, LaterLineWinsAndEachTypeLandsInItsArray)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("=1000 Set scene.2.dbl.0 1\n=1000 Set scene.2.dbl.0 2\n"
                       "=0 Set scene.2.lng.4 -9\n=0 Set scene.63.bool.11 true\n=0 Set scene.1.RUN\n"));
    t->Reset();
    t->Advance(999);
    EXPECT_EQ(t->Params(2).dbl[0], 0.0);
    EXPECT_EQ(t->Params(2).lng[4], -9);
    EXPECT_EQ(t->Params(63).flags[11], 1);
    EXPECT_EQ(t->Params(1).flags[kRunningFlag], 1);
    t->Advance(1);
    EXPECT_EQ(t->Params(2).dbl[0], 2.0);
    EXPECT_EQ(t.Event(0).kind, EventKind::Done);
    EXPECT_EQ(t.Event(1).kind, EventKind::Done);
}

TEST(TimelineSets, OutOfRangeSlotsAndIndicesWriteNothing)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("=0 Set scene.64.dbl.0 1\n=0 Set scene.-1.dbl.0 1\n=0 Set scene.1.dbl.10 1\n"
                       "=0 Set scene.1.lng.5 1\n=0 Set scene.1.bool.12 true\n=0 Set scene.1.dbl.-1 1\n"
                       "=0 Trig scene.1.bool.12 1\n=0 Trig scene.99.bool.1 1\n"
                       "=0 Fade scene.70.dbl.0 from 1 to 2 time =10\n"));
    t->Reset();
    t->Advance(5);
    EXPECT_TRUE(AllBlocksZero(*t.timeline));
    t->Advance(20);
    EXPECT_TRUE(AllBlocksZero(*t.timeline));
    for (int32_t i = 0; i < t->EventCount(); ++i)
        EXPECT_EQ(t.Event(i).kind, EventKind::Done) << i;
}

TEST(TimelineSets, ParamsOutsideTheSlotsIsAScratchBlock)
{
    ScriptedTimeline t;
    t->Reset();
    t->Params(-1).dbl[0] = 5.0;
    t->Params(64).flags[0] = 1;
    EXPECT_EQ(t->Params(64).dbl[0], 0.0);
    EXPECT_TRUE(AllBlocksZero(*t.timeline));
}

TEST(TimelineSets, ResetZeroesTheBlocksButDoesNotReArmEvents)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("=0 Set scene.1.dbl.3 4.5\nDefinePattern 0 ab\n=0 UsePattern 0\n"));
    t->Reset();
    t->Advance(0);
    EXPECT_EQ(t->Params(1).dbl[3], 4.5);
    t->Advance(300); // steps a, b, a: the last one delivered, two pending
    ASSERT_EQ(t->Params(63).flags[kPatternStepFlag], 'a');
    ASSERT_EQ(t->PendingCount(), 2);
    t->Reset();
    EXPECT_TRUE(AllBlocksZero(*t.timeline));
    t->Advance(10);
    EXPECT_EQ(t->Params(1).dbl[3], 0.0);
    EXPECT_EQ(t->CurrentTime(), 10u);
    // Neither the pending steps nor the pattern outlive the reset.
    EXPECT_TRUE(AllBlocksZero(*t.timeline));
    EXPECT_EQ(t->PendingCount(), 0);
}

TEST(TimelineFades, QuarterSecondFramesFromZero)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("=1000 Fade scene.1.dbl.0 from 0 to 1 time =1000\n=0 Set scene.1.dbl.0 7\n"));
    t->Reset();
    const double expected[] = {7, 7, 7, 0, 0.25, 0.5, 0.75, 1.0, 1.0, 1.0};
    for (double value : expected) {
        t->Advance(250);
        EXPECT_DOUBLE_EQ(t->Params(1).dbl[0], value) << "at " << t->CurrentTime();
    }
    EXPECT_EQ(t.Event(0).kind, EventKind::Done);
}

TEST(TimelineFades, AFrameSpanningTheWholeFadeAddsTheChange)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("=1000 Fade scene.1.dbl.0 from 0 to 1 time =1000\n=0 Set scene.1.dbl.0 5\n"));
    t->Reset();
    t->Advance(900);
    EXPECT_EQ(t->Params(1).dbl[0], 5.0);
    t->Advance(1200);
    EXPECT_DOUBLE_EQ(t->Params(1).dbl[0], 6.0);
}

TEST(TimelineFades, EntryAndExitFramesAddOnlyTheirPart)
{
    ScriptedTimeline t;
    // Index 10 lies past the doubles, so the second fade moves dbl[0].
    ASSERT_TRUE(t.Load("=100 Fade scene.1.dbl.2 from 10 to 20 time =200\n"
                       "=100 Fade scene.2.dbl.10 from 10 to 20 time =200\n"));
    t->Reset();
    t->Advance(150); // 50 ms in: from + 50 * rate
    EXPECT_DOUBLE_EQ(t->Params(1).dbl[2], 12.5);
    EXPECT_DOUBLE_EQ(t->Params(2).dbl[0], 12.5);
    t->Advance(200); // past the end at 300: only up to the end
    EXPECT_DOUBLE_EQ(t->Params(1).dbl[2], 20.0);
    EXPECT_DOUBLE_EQ(t->Params(2).dbl[0], 20.0);
    t->Advance(100);
    EXPECT_DOUBLE_EQ(t->Params(1).dbl[2], 20.0);
}

TEST(TimelineFades, ZeroDurationJumpsToTheToValue)
{
    ScriptedTimeline t;
    // The parameters hold 5 before, so a jump differs from adding the change.
    ASSERT_TRUE(t.Load("=1000 Fade scene.1.dbl.0 from 0.1 to 0.3 time =0\n"
                       "=1000 Fade scene.1.dbl.1 from 0 to 2 time 500\n"
                       "=0 Set scene.1.dbl.0 5\n=0 Set scene.1.dbl.1 5\n"));
    t->Reset();
    t->Advance(999);
    EXPECT_EQ(t->Params(1).dbl[0], 5.0);
    t->Advance(5);
    EXPECT_EQ(t->Params(1).dbl[0], 0.3);
    EXPECT_EQ(t->Params(1).dbl[1], 2.0);
}

TEST(TimelineTriggers, RaisedForExactlyOneFrame)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("=500 Trig scene.2.bool.3 0\n=500 Trig scene.2.dbl.4 0\n"));
    t->Reset();
    t->Advance(400);
    EXPECT_EQ(t->Params(2).flags[3], 0);
    t->Advance(200);
    EXPECT_EQ(t->Params(2).flags[3], 1);
    EXPECT_EQ(t->Params(2).flags[4], 1); // a trigger always pulses a flag
    EXPECT_EQ(t.Event(0).kind, EventKind::TriggerRelease);
    t->Advance(16);
    EXPECT_EQ(t->Params(2).flags[3], 0);
    EXPECT_EQ(t->Params(2).flags[4], 0);
    EXPECT_EQ(t.Event(0).kind, EventKind::Done);
}

TEST(TimelineEnd, IsFinishedAtTheEndTime)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("End #16.0\n"));
    t->Reset();
    t->Advance(30719);
    EXPECT_FALSE(t->IsFinished());
    t->Advance(1);
    EXPECT_TRUE(t->IsFinished());

    ScriptedTimeline endless;
    ASSERT_TRUE(endless.Load("=0 Set scene.0.RUN\n"));
    endless->Reset();
    endless->Advance(0xFFFFFFFEu);
    EXPECT_FALSE(endless->IsFinished());
    endless->Advance(1);
    EXPECT_TRUE(endless->IsFinished());

    ScriptedTimeline bare;
    ASSERT_TRUE(bare.Load("End\n"));
    bare->Reset();
    bare->Advance(16);
    EXPECT_TRUE(bare->IsFinished());
}

TEST(TimelineGoto, StartsTheClockAndTheMusicAtTheStartTime)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("Goto =10000\n=0 Set scene.1.dbl.0 1\n=9000 Set scene.1.dbl.0 2\n"
                       "=10016 Set scene.1.lng.0 3\n=10017 Set scene.1.lng.1 4\n=500 Trig scene.1.bool.2 1\n"));
    t->Reset();
    EXPECT_EQ(t.host.positions, std::vector<uint32_t>{10000});
    EXPECT_EQ(t->CurrentTime(), 10000u);
    t->Advance(16);
    EXPECT_EQ(t->Params(1).dbl[0], 2.0);
    EXPECT_EQ(t->Params(1).lng[0], 3);
    EXPECT_EQ(t->Params(1).lng[1], 0);
    EXPECT_EQ(t->Params(1).flags[2], 1);
    t->Advance(16);
    EXPECT_EQ(t->Params(1).flags[2], 0);

    ScriptedTimeline fromZero;
    fromZero->Reset();
    EXPECT_TRUE(fromZero.host.positions.empty());
}

TEST(TimelineGoto, FadesAroundTheStartTime)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("Goto =5000\n"
                       "=1000 Fade scene.1.dbl.0 from 0 to 1 time =1000\n"  // wholly before
                       "=4000 Fade scene.1.dbl.1 from 3 to 5 time =2000\n"  // running at the start
                       "=3000 Fade scene.1.dbl.2 from 0 to 4 time =2000\n"  // ends at the start
                       "=5000 Fade scene.1.dbl.3 from 3 to 5 time =2000\n")); // begins at the start
    t->Reset();
    t->Advance(500);
    EXPECT_DOUBLE_EQ(t->Params(1).dbl[0], 1.0);
    EXPECT_DOUBLE_EQ(t->Params(1).dbl[1], 0.5); // not set to 3 first: only this frame's span
    EXPECT_DOUBLE_EQ(t->Params(1).dbl[2], 0.0);
    EXPECT_DOUBLE_EQ(t->Params(1).dbl[3], 3.5); // from its from value, as from any earlier clock
}

TEST(TimelineClock, WrapsAt32Bits)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("Goto =-100\n=50 Set scene.1.dbl.0 1\n"));
    t->Reset();
    EXPECT_EQ(t->CurrentTime(), 4294967196u);
    t->Advance(200);
    EXPECT_EQ(t->CurrentTime(), 100u);
    EXPECT_EQ(t->Params(1).dbl[0], 1.0);
}

TEST(TimelinePatterns, OneStepInFourEvery480Ms)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("DefinePattern 0 x...\n=0 UsePattern 0\n"));
    t->Reset();
    EXPECT_EQ(Frame(t, 0), 0); // the switch frame plays nothing
    std::vector<uint32_t> times;
    while (t->CurrentTime() < 2000)
        if (Frame(t, 120) == 'x')
            times.push_back(t->CurrentTime());
    EXPECT_EQ(times, (std::vector<uint32_t>{120, 480, 960, 1440, 1920}));
}

TEST(TimelinePatterns, ASlowFrameDeliversNewestFirst)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("DefinePattern 2 abc.\n=0 UsePattern 2\n"));
    t->Reset();
    Frame(t, 0);
    EXPECT_EQ(Frame(t, 300), 'c'); // steps 0, 1 and 2
    EXPECT_EQ(Frame(t, 0), 'b');
    EXPECT_EQ(Frame(t, 0), 'a');
    EXPECT_EQ(Frame(t, 0), 0);
    EXPECT_EQ(t->PendingCount(), 0);
}

TEST(TimelinePatterns, TheStepGoesToAllBlocks)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("DefinePattern 0 q\n=0 UsePattern 0\n"));
    t->Reset();
    t->Advance(0);
    t->Advance(10);
    for (int32_t slot = 0; slot < Timeline::kEffectSlots; ++slot)
        EXPECT_EQ(t->Params(slot).flags[kPatternStepFlag], 'q') << slot;
}

TEST(TimelinePatterns, EmptyOrUnfilledPatternsPlayNothing)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("DefinePattern 1\n=0 UsePattern 1\n=1000 UsePattern 7\n=2000 UsePattern 3\nDefinePattern 3 ....\n"));
    t->Reset();
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(Frame(t, 50), 0);
    EXPECT_EQ(t->CurrentPattern(), 3);
}

TEST(TimelinePatterns, AFullStackKeepsTheNewestSteps)
{
    // One note per round of 128 steps, so the stack can only fill when a
    // frame crosses far more than 4096 rounds.
    std::string steps(128, '.');
    steps[5] = 'a';
    steps[77] = 'b';
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("DefinePattern 0 " + steps + "\n=0 UsePattern 0\n"));
    t->Reset();
    Frame(t, 0);
    const uint32_t elapsed = 120u * 699944u + 60u;
    const int32_t last = static_cast<int32_t>(static_cast<float>(0.0 + elapsed * static_cast<double>(t->StepsPerMs())));
    // The last round is cut between the two notes, so the oldest note kept
    // lies exactly 2048 rounds back.
    ASSERT_GE(last % 128, 5);
    ASSERT_LT(last % 128, 77);
    std::vector<char> played;
    for (int64_t j = 0; j <= last; ++j)
        if (steps[j % 128] != '.')
            played.push_back(steps[j % 128]);
    ASSERT_GT(played.size(), 4096u);

    std::vector<char> delivered{Frame(t, elapsed)};
    EXPECT_EQ(t->PendingCount(), Timeline::kMaxPendingSteps - 1);
    while (t->PendingCount() > 0)
        delivered.push_back(Frame(t, 0));
    const std::vector<char> newest(played.rbegin(), played.rbegin() + Timeline::kMaxPendingSteps);
    EXPECT_EQ(delivered, newest);
}

// Pattern playback as the runtime rules state it, with an unbounded loop over
// every step, to compare the timeline against.
class PatternModel {
public:
    PatternModel(std::vector<std::string> patternSteps, std::vector<std::pair<uint32_t, int>> switches,
                 float stepsPerMs)
        : patterns(std::move(patternSteps)), pending(std::move(switches)), rate(stepsPerMs)
    {
    }

    char Advance(uint32_t elapsed)
    {
        now += elapsed;
        int next = current;
        for (auto& [time, id] : pending)
            if (id != kFired && now >= time) {
                accumulator = 0.0f;
                next = id;
                id = kFired;
            }
        accumulator = static_cast<float>(static_cast<double>(accumulator) + elapsed * static_cast<double>(rate));
        if (current >= 0) {
            const int32_t last = static_cast<int32_t>(accumulator);
            const std::string& steps = patterns[current];
            for (int64_t j = lastStep + 1; j <= last && !steps.empty(); ++j)
                if (steps[j % steps.size()] != '.')
                    stack.push_back(steps[j % steps.size()]);
            if (stack.size() > 4096)
                stack.erase(stack.begin(), stack.end() - 4096);
            lastStep = last;
        }
        current = next;
        if (stack.empty())
            return 0;
        const char step = stack.back();
        stack.pop_back();
        return step;
    }

private:
    static constexpr int kFired = -100;
    std::vector<std::string> patterns;
    std::vector<std::pair<uint32_t, int>> pending;
    float rate;
    uint32_t now = 0;
    int current = -1;
    float accumulator = 0.0f;
    int32_t lastStep = -1;
    std::vector<char> stack;
};

TEST(TimelinePatterns, SwitchesAndSlowFramesFollowTheRules)
{
    std::mt19937 random(1234);
    auto below = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    for (int scenario = 0; scenario < 60; ++scenario) {
        std::string script = "LoadMusic x.ogg " + std::to_string(90 + below(80)) + "\n";
        std::vector<std::string> patterns;
        for (int id = 0; id < 4; ++id) {
            std::string steps;
            const uint32_t length = 1 + below(8);
            for (uint32_t i = 0; i < length; ++i)
                steps += "ab.c."[below(5)];
            steps[0] = "xyz"[below(3)]; // the step text is trimmed, so it starts with a note
            patterns.push_back(steps);
            script += "DefinePattern " + std::to_string(id) + " " + steps + "\n";
        }
        std::vector<std::pair<uint32_t, int>> switches;
        for (int s = 0; s < 6; ++s) {
            const uint32_t time = below(8000);
            const int id = static_cast<int>(below(5)) - 1;
            switches.emplace_back(time, id);
            script += "=" + std::to_string(time) +
                      (id < 0 ? std::string(" DisablePattern\n") : " UsePattern " + std::to_string(id) + "\n");
        }
        ScriptedTimeline t;
        ASSERT_TRUE(t.Load(script));
        PatternModel model(patterns, switches, t->StepsPerMs());
        t->Reset();
        for (int frame = 0; frame < 300; ++frame) {
            const uint32_t elapsed = below(10) == 0 ? below(3000) : below(60);
            const char expected = model.Advance(elapsed);
            ASSERT_EQ(Frame(t, elapsed), expected) << "scenario " << scenario << " frame " << frame << "\n"
                                                   << script;
        }
    }
}

} // namespace
