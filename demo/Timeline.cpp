#include "demo/Timeline.h"

#include "demo/TimelineHost.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The whole step number of the accumulator, kept inside 32 bits even when a
// tempo beyond one beat per millisecond has made the accumulator infinite.
int32_t WholeSteps(float accumulator)
{
    if (!(accumulator >= 0.0f))
        return 0;
    if (accumulator >= 2147483647.0f)
        return INT32_MAX;
    return static_cast<int32_t>(accumulator);
}

bool InSlot(int32_t effect) { return effect >= 0 && effect < Timeline::kEffectSlots; }

template <typename T, size_t N>
T* Entry(T (&array)[N], int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < N ? &array[index] : nullptr;
}

} // namespace

Timeline::Timeline(TimelineHost& timelineHost) : host(timelineHost)
{
    defines["RUNNING"] = "bool.0";
    defines["RUN"] = "bool.0 true";
    defines["STOP"] = "bool.0 false";
    SetTempo(125, 4);
}

Timeline::~Timeline() = default;

void Timeline::SetTempo(int32_t bpm, int32_t beatsPerPosition)
{
    if (bpm <= 0) {
        ReportError("Invalid BPM");
        return;
    }
    if (beatsPerPosition <= 0)
        beatsPerPosition = 4;
    // Whole milliseconds per beat, as the scripts were timed against.
    msPerBeat = static_cast<double>(60000 / bpm);
    msPerPosition = beatsPerPosition * msPerBeat;
    stepsPerMs = static_cast<float>((1.0 / msPerBeat) * 4.0);
}

void Timeline::Reset()
{
    play.pendingCount = 0;
    play.pendingBottom = 0;
    play.currentPattern = -1;
    play.lastStep = -1;
    play.previousTime = 0;
    play.currentTime = startTime;
    if (startTime != 0)
        host.SetMusicPosition(startTime);
    std::memset(play.params, 0, sizeof(play.params));
}

EffectParams& Timeline::Params(int32_t effect)
{
    if (InSlot(effect))
        return play.params[effect];
    scratchParams = {};
    return scratchParams;
}

void Timeline::Advance(uint32_t elapsed)
{
    play.previousTime = play.currentTime;
    play.currentTime += elapsed;
    int32_t nextPattern = play.currentPattern;

    for (int32_t i = 0; i < eventCount; ++i) {
        TimelineEvent& event = events[i];
        // Every kind waits for its start time; this one test is all that a
        // frame spends on most of a long script.
        if (play.currentTime < event.start || event.kind == EventKind::Done)
            continue;
        switch (event.kind) {
        case EventKind::Set:
            FireSet(event);
            event.kind = EventKind::Done;
            break;
        case EventKind::Fade:
            FireFade(event);
            break;
        case EventKind::PatternSwitch:
            play.stepAccumulator = 0.0f;
            nextPattern = event.lngValue;
            event.kind = EventKind::Done;
            break;
        case EventKind::Trigger:
            FireTrigger(event, 1, EventKind::TriggerRelease);
            break;
        case EventKind::TriggerRelease:
            FireTrigger(event, 0, EventKind::Done);
            break;
        case EventKind::Done:
            break;
        }
    }

    play.stepAccumulator = static_cast<float>(static_cast<double>(play.stepAccumulator) +
                                         static_cast<double>(elapsed) * static_cast<double>(stepsPerMs));
    // Steps still count for the pattern of before this frame's switches.
    if (play.currentPattern >= 0)
        PlayPatternSteps();
    play.currentPattern = nextPattern;

    DeliverStep(PopPendingStep());
}

void Timeline::FireSet(TimelineEvent& event)
{
    if (!InSlot(event.effect))
        return;
    EffectParams& block = play.params[event.effect];
    switch (event.valueType) {
    case ValueType::Dbl:
        if (double* value = Entry(block.dbl, event.index))
            *value = event.dblValue;
        break;
    case ValueType::Lng:
        if (int32_t* value = Entry(block.lng, event.index))
            *value = event.lngValue;
        break;
    case ValueType::Bool:
        if (uint8_t* value = Entry(block.flags, event.index))
            *value = event.boolValue;
        break;
    }
}

void Timeline::FireFade(TimelineEvent& event)
{
    double* value = nullptr;
    if (event.valueType == ValueType::Dbl && InSlot(event.effect))
        value = Entry(play.params[event.effect].dbl, event.index);
    auto addSpan = [&](uint32_t span) {
        if (value)
            *value += static_cast<double>(span) * event.dblValue;
    };

    if (play.currentTime >= event.end) {
        if (event.start == event.end) {
            // No duration, no rate: the fade is a jump to its to value.
            if (value)
                *value = event.dblValue;
        } else if (play.previousTime >= event.start && play.previousTime <= event.end) {
            addSpan(event.end - play.previousTime);
        } else {
            // Begun and ended between two frames, or over before the clock
            // started (a start time past the fade): the whole change at once.
            addSpan(event.end - event.start);
        }
        event.kind = EventKind::Done;
        return;
    }
    if (play.previousTime > event.start) {
        addSpan(play.currentTime - play.previousTime);
    } else {
        if (value)
            *value = event.fadeFrom;
        addSpan(play.currentTime - event.start);
    }
}

void Timeline::FireTrigger(TimelineEvent& event, uint8_t flag, EventKind next)
{
    if (InSlot(event.effect))
        if (uint8_t* value = Entry(play.params[event.effect].flags, event.index))
            *value = flag;
    event.kind = next;
}

void Timeline::PlayPatternSteps()
{
    const int32_t last = WholeSteps(play.stepAccumulator);
    if (play.currentPattern < kPatternCount)
        PushSteps(patterns[play.currentPattern], static_cast<int64_t>(play.lastStep) + 1, last);
    play.lastStep = last;
}

void Timeline::PushSteps(const Pattern& pattern, int64_t first, int64_t last)
{
    if (pattern.length <= 0 || first > last)
        return;
    int32_t notes[Pattern::kMaxSteps];
    int32_t noteCount = 0;
    for (int32_t i = 0; i < pattern.length; ++i)
        if (pattern.steps[i] != 0)
            notes[noteCount++] = i;
    if (noteCount == 0)
        return;

    // A very slow frame can cross millions of steps, but a full stack keeps
    // only the newest, so only the last rounds that can fill it are played.
    const int64_t lastRound = last / pattern.length;
    const int64_t roundsThatFit = kMaxPendingSteps / noteCount + 1;
    const int64_t firstRound = std::max(first / pattern.length, lastRound - roundsThatFit);
    for (int64_t round = firstRound; round <= lastRound; ++round) {
        const int64_t base = round * pattern.length;
        for (int32_t k = 0; k < noteCount; ++k) {
            const int64_t step = base + notes[k];
            if (step > last)
                return;
            if (step >= first)
                PushPendingStep(pattern.steps[notes[k]]);
        }
    }
}

void Timeline::PushPendingStep(char step)
{
    if (play.pendingCount == kMaxPendingSteps) {
        play.pendingBottom = (play.pendingBottom + 1) % kMaxPendingSteps;
        --play.pendingCount;
    }
    play.pendingSteps[(play.pendingBottom + play.pendingCount) % kMaxPendingSteps] = step;
    ++play.pendingCount;
}

char Timeline::PopPendingStep()
{
    if (play.pendingCount <= 0)
        return 0;
    --play.pendingCount;
    return play.pendingSteps[(play.pendingBottom + play.pendingCount) % kMaxPendingSteps];
}

void Timeline::DeliverStep(char step)
{
    const uint8_t byte = static_cast<uint8_t>(step);
    if (play.params[0].flags[kPatternStepFlag] == byte)
        return;
    for (EffectParams& block : play.params)
        block.flags[kPatternStepFlag] = byte;
}
