#include "tools/demotool/timeline/TimelineLanes.h"

#include "app/ShowLineup.h"
#include "demo/EffectParams.h"
#include "demo/Timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Times past this (a negative script time wraps to about 49 days) would make
// the pictures all empty space; events there are left out.
constexpr uint32_t kLongestShowMs = 6u * 3600u * 1000u;
// Fine enough that a step lands within a pixel or two even when a picture
// shows only a few positions; coarser for very long scripts so that playing
// them stays quick.
constexpr uint32_t kPlayFrameMs = 4;
constexpr uint32_t kMostPlayFrames = 50000;

bool Fires(const TimelineEvent& event)
{
    return event.start <= kLongestShowMs;
}

bool InBlock(const TimelineEvent& event)
{
    if (event.effect < 0 || event.effect >= Timeline::kEffectSlots)
        return false;
    const ValueType type = event.kind == EventKind::Trigger ? ValueType::Bool : event.valueType;
    switch (type) {
    case ValueType::Dbl: return event.index >= 0 && event.index < 10;
    case ValueType::Lng: return event.index >= 0 && event.index < 5;
    case ValueType::Bool: return event.index >= 0 && event.index < 12;
    }
    return false;
}

bool IsRunningFlag(const TimelineEvent& event)
{
    return event.kind == EventKind::Set && event.valueType == ValueType::Bool && event.index == kRunningFlag;
}

std::string ValueText(const TimelineEvent& event)
{
    char text[32];
    switch (event.valueType) {
    case ValueType::Dbl: std::snprintf(text, sizeof text, "%g", event.dblValue); break;
    case ValueType::Lng: std::snprintf(text, sizeof text, "%d", event.lngValue); break;
    case ValueType::Bool: return event.boolValue ? "true" : "false";
    }
    return text;
}

EffectLane& LaneOf(std::vector<EffectLane>& lanes, int32_t slot)
{
    for (EffectLane& lane : lanes)
        if (lane.slot == slot)
            return lane;
    const char* name = ShowLineup::SlotName(slot);
    // The player has no effect there: its events change a block nobody reads.
    lanes.push_back({slot, name ? name : "no effect", {}, {}, {}, {}});
    return lanes.back();
}

LaneFade FadeOf(const TimelineEvent& event)
{
    // A fade of no length jumps straight to its value (the reader stores
    // that value in place of a rate).
    const uint32_t duration = event.end - event.start;
    const double to = duration == 0 ? event.dblValue : event.fadeFrom + event.dblValue * double(duration);
    return {{event.start, event.end}, event.index, event.fadeFrom, to};
}

// The running flag's on and off Sets, in firing order (script order within
// one time, as playback applies them), turned into spans.
std::vector<TimeSpan> RunningSpans(const Timeline& timeline, int32_t slot, uint32_t length)
{
    std::vector<const TimelineEvent*> switches;
    for (int32_t i = 0; i < timeline.EventCount(); ++i) {
        const TimelineEvent& event = timeline.Events()[i];
        if (event.effect == slot && IsRunningFlag(event) && Fires(event))
            switches.push_back(&event);
    }
    std::stable_sort(switches.begin(), switches.end(),
                     [](const TimelineEvent* a, const TimelineEvent* b) { return a->start < b->start; });
    std::vector<TimeSpan> spans;
    bool running = false;
    for (size_t i = 0; i < switches.size(); ++i) {
        const TimelineEvent& event = *switches[i];
        // Only the last switch at one time counts.
        if (i + 1 < switches.size() && switches[i + 1]->start == event.start)
            continue;
        if (event.boolValue && !running)
            spans.push_back({event.start, std::max(length, event.start)});
        else if (!event.boolValue && running)
            spans.back().end = event.start;
        running = event.boolValue != 0;
    }
    return spans;
}

uint32_t LastEventTime(const Timeline& timeline)
{
    uint32_t last = 0;
    for (int32_t i = 0; i < timeline.EventCount(); ++i) {
        const TimelineEvent& event = timeline.Events()[i];
        if (Fires(event))
            last = std::max(last, event.kind == EventKind::Fade ? std::min(event.end, kLongestShowMs) : event.start);
    }
    return last;
}

uint32_t ShowLength(const Timeline& timeline)
{
    if (timeline.EndTime() != Timeline::kNoTime && timeline.EndTime() > 0)
        return std::min(timeline.EndTime(), kLongestShowMs);
    // Past the last event, to the next whole position.
    const double position = std::max(timeline.MsPerPosition(), 1.0);
    const double positions = std::floor(double(LastEventTime(timeline)) / position) + 1.0;
    return uint32_t(std::min(positions * position, double(kLongestShowMs)));
}

std::vector<PatternRun> PatternRuns(const Timeline& timeline, uint32_t length)
{
    std::vector<const TimelineEvent*> switches;
    for (int32_t i = 0; i < timeline.EventCount(); ++i) {
        const TimelineEvent& event = timeline.Events()[i];
        if (event.kind == EventKind::PatternSwitch && Fires(event))
            switches.push_back(&event);
    }
    std::stable_sort(switches.begin(), switches.end(),
                     [](const TimelineEvent* a, const TimelineEvent* b) { return a->start < b->start; });
    std::vector<PatternRun> runs;
    for (const TimelineEvent* event : switches) {
        if (!runs.empty() && runs.back().span.start == event->start)
            runs.pop_back(); // the last switch in one frame wins
        if (!runs.empty())
            runs.back().span.end = event->start;
        runs.push_back({{event->start, std::max(length, event->start)}, event->lngValue});
    }
    return runs;
}

std::vector<DeliveredStep> PlaySteps(Timeline& timeline, uint32_t length)
{
    const uint32_t frame = std::max(kPlayFrameMs, length / kMostPlayFrames + 1);
    const uint32_t goTo = timeline.StartTime();
    timeline.SetStartTime(0);
    timeline.Reset();
    std::vector<DeliveredStep> steps;
    while (timeline.CurrentTime() < length) {
        timeline.Advance(frame);
        EffectParams& first = timeline.Params(0);
        if (first.flags[kPatternStepFlag] != 0)
            steps.push_back({timeline.CurrentTime(), char(first.flags[kPatternStepFlag])});
        // As the driver does after each effect's update, so that a repeated
        // step character is delivered again.
        first.flags[kPatternStepFlag] = 0;
    }
    timeline.SetStartTime(goTo);
    return steps;
}

} // namespace

TimelineLanes BuildTimelineLanes(Timeline& timeline)
{
    TimelineLanes lanes;
    lanes.startTime = timeline.StartTime();
    lanes.hasEnd = timeline.EndTime() != Timeline::kNoTime;
    lanes.endTime = timeline.EndTime();
    lanes.length = ShowLength(timeline);
    lanes.msPerBeat = timeline.MsPerBeat();
    lanes.msPerPosition = timeline.MsPerPosition();

    for (int32_t i = 0; i < timeline.EventCount(); ++i) {
        const TimelineEvent& event = timeline.Events()[i];
        if (event.kind == EventKind::PatternSwitch || !Fires(event) || !InBlock(event))
            continue;
        EffectLane& lane = LaneOf(lanes.effects, event.effect);
        if (event.kind == EventKind::Set && !IsRunningFlag(event))
            lane.sets.push_back({event.start, event.valueType, event.index, ValueText(event)});
        else if (event.kind == EventKind::Fade && event.valueType == ValueType::Dbl)
            lane.fades.push_back(FadeOf(event));
        else if (event.kind == EventKind::Trigger)
            lane.triggers.push_back({event.start, event.index});
    }
    std::sort(lanes.effects.begin(), lanes.effects.end(),
              [](const EffectLane& a, const EffectLane& b) { return a.slot < b.slot; });
    for (EffectLane& lane : lanes.effects) {
        lane.running = RunningSpans(timeline, lane.slot, lanes.length);
        auto byTime = [](const auto& a, const auto& b) { return a.time < b.time; };
        std::stable_sort(lane.sets.begin(), lane.sets.end(), byTime);
        std::stable_sort(lane.triggers.begin(), lane.triggers.end(), byTime);
        std::stable_sort(lane.fades.begin(), lane.fades.end(),
                         [](const LaneFade& a, const LaneFade& b) { return a.span.start < b.span.start; });
    }
    lanes.patterns = PatternRuns(timeline, lanes.length);
    lanes.steps = PlaySteps(timeline, lanes.length);
    return lanes;
}
