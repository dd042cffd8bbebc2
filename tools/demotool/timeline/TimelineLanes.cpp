#include "tools/demotool/timeline/TimelineLanes.h"

#include "app/ShowLineup.h"
#include "demo/EffectParams.h"
#include "demo/Timeline.h"
#include "effects/EffectParameters.h"
#include "tools/demotool/script/ScriptSession.h"

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

std::string NumberText(ValueType type, double value)
{
    char text[32];
    switch (type) {
    case ValueType::Dbl: std::snprintf(text, sizeof text, "%g", value); break;
    case ValueType::Lng: std::snprintf(text, sizeof text, "%d", int32_t(value)); break;
    case ValueType::Bool: return value != 0.0 ? "true" : "false";
    }
    return text;
}

const char* TypeWord(ValueType type)
{
    return type == ValueType::Dbl ? "dbl" : type == ValueType::Lng ? "lng" : "bool";
}

ParamKind KindOf(ValueType type)
{
    return type == ValueType::Dbl ? ParamKind::Dbl : type == ValueType::Lng ? ParamKind::Lng : ParamKind::Flag;
}

EffectLane& LaneOf(std::vector<EffectLane>& lanes, int32_t slot)
{
    for (EffectLane& lane : lanes)
        if (lane.slot == slot)
            return lane;
    const char* name = ShowLineup::SlotName(slot);
    // The player has no effect there: its events change a block nobody reads.
    lanes.push_back({slot, name ? name : "no effect", {}, {}});
    return lanes.back();
}

ParameterTrack& TrackOf(EffectLane& lane, ValueType type, int32_t index)
{
    for (ParameterTrack& track : lane.tracks)
        if (track.type == type && track.index == index)
            return track;
    const EffectParameter* known = FindEffectParameter(lane.slot, KindOf(type), index);
    lane.tracks.push_back({type, index, std::string(TypeWord(type)) + "." + std::to_string(index),
                           known ? known->name : "", known != nullptr, {}, {}, {}, {}});
    return lane.tracks.back();
}

// The words of an event's line as written, from its command on: the
// identifier and values before defines replace them.
std::vector<std::string> CommandWords(const std::string& line)
{
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        const size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string::npos)
            break;
        const size_t end = std::min(line.find_first_of(" \t", start), line.size());
        std::string word = line.substr(start, end - start);
        if (!words.empty() || word == "Set" || word == "Fade" || word == "Trig")
            words.push_back(std::move(word));
        at = end;
    }
    return words;
}

// What a line's words tell of names: a define in the identifier that stands
// for the parameter ("Define @speed=dbl.3"), and defines written as values
// (at the word numbers given), which name that number wherever this
// parameter takes it.
void TakeNames(ParameterTrack& track, const std::map<std::string, std::string>& defines,
               const std::vector<std::string>& words, std::initializer_list<std::pair<size_t, double>> values)
{
    if (words.size() < 2)
        return;
    for (const auto& [name, value] : defines)
        if (track.name.empty() && words[1].find(name) != std::string::npos &&
            (value == track.parameter || value.ends_with("." + track.parameter)))
            track.name = name;
    for (const auto& [at, value] : values)
        if (at < words.size() && defines.count(words[at]))
            track.valueNames[NumberText(track.type, value)] = words[at];
}

TrackFade FadeOf(const TimelineEvent& event)
{
    // A fade of no length jumps straight to its value (the reader stores
    // that value in place of a rate).
    const uint32_t duration = event.end - event.start;
    const double to = duration == 0 ? event.dblValue : event.fadeFrom + event.dblValue * double(duration);
    return {{event.start, event.end}, event.fadeFrom, to, "", ""};
}

// Where each tempo takes over: from the earliest moment that a line read at
// it names (a tempo no event was read at draws nothing).
std::vector<TempoRun> TempoRuns(ScriptSession& session)
{
    const Timeline& timeline = session.GetTimeline();
    std::vector<TempoRun> runs;
    for (const TempoLine& tempo : session.Tempos()) {
        uint32_t start = tempo.line == 0 ? 0 : UINT32_MAX;
        for (int32_t i = 0; i < timeline.EventCount() && tempo.line != 0; ++i)
            if (session.LineOfEvent(i) > tempo.line && Fires(timeline.Events()[i]))
                start = std::min(start, timeline.Events()[i].start);
        if (start == UINT32_MAX)
            continue;
        if (!runs.empty())
            start = std::max(start, runs.back().start);
        if (!runs.empty() && runs.back().start == start)
            runs.pop_back();
        runs.push_back({start, tempo.msPerBeat, tempo.msPerPosition});
    }
    return runs;
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

double ParameterTrack::ValueAt(uint32_t time) const
{
    // As playback has it: the last write (a Set, or a fade's start writing
    // its from value), plus what every fade running since adds at its rate,
    // so that a Set in the middle of a fade is faded on from there.
    double value = 0.0;
    uint32_t since = 0;
    for (const TrackKey& key : keys)
        if (key.time <= time && key.time >= since) {
            value = key.value;
            since = key.time;
        }
    for (const TrackFade& fade : fades)
        if (fade.span.start <= time && fade.span.start >= since) {
            // A fade of no length writes its to value at once.
            value = fade.span.end == fade.span.start ? fade.to : fade.from;
            since = fade.span.start;
        }
    for (const TrackFade& fade : fades) {
        const uint32_t from = std::max(since, fade.span.start), to = std::min(time, fade.span.end);
        // Only where it runs: a fade between infinities has no finite rate.
        if (to > from)
            value += (fade.to - fade.from) * double(to - from) / double(fade.span.end - fade.span.start);
    }
    return value;
}

std::string ParameterTrack::Text(double value) const
{
    const std::string number = NumberText(type, value);
    const auto named = valueNames.find(number);
    return named != valueNames.end() ? named->second : number;
}

TimelineLanes BuildTimelineLanes(ScriptSession& session)
{
    Timeline& timeline = session.GetTimeline();
    TimelineLanes lanes;
    lanes.startTime = timeline.StartTime();
    lanes.hasEnd = timeline.EndTime() != Timeline::kNoTime;
    lanes.endTime = timeline.EndTime();
    lanes.length = ShowLength(timeline);
    lanes.msPerBeat = timeline.MsPerBeat();
    lanes.msPerPosition = timeline.MsPerPosition();
    lanes.tempos = TempoRuns(session);

    for (int32_t i = 0; i < timeline.EventCount(); ++i) {
        const TimelineEvent& event = timeline.Events()[i];
        if (event.kind == EventKind::PatternSwitch || !Fires(event) || !InBlock(event))
            continue;
        EffectLane& lane = LaneOf(lanes.effects, event.effect);
        if (IsRunningFlag(event))
            continue;
        const std::vector<std::string> words = CommandWords(session.RawLine(session.LineOfEvent(i)));
        if (event.kind == EventKind::Set) {
            const double value = event.valueType == ValueType::Dbl   ? event.dblValue
                                 : event.valueType == ValueType::Lng ? double(event.lngValue)
                                                                     : double(event.boolValue);
            ParameterTrack& track = TrackOf(lane, event.valueType, event.index);
            track.keys.push_back({event.start, value, ""});
            TakeNames(track, timeline.Defines(), words, {{2, value}});
        } else if (event.kind == EventKind::Fade && event.valueType == ValueType::Dbl) {
            ParameterTrack& track = TrackOf(lane, ValueType::Dbl, event.index);
            track.fades.push_back(FadeOf(event));
            TakeNames(track, timeline.Defines(), words, {{3, track.fades.back().from}, {5, track.fades.back().to}});
        } else if (event.kind == EventKind::Trigger) {
            ParameterTrack& track = TrackOf(lane, ValueType::Bool, event.index);
            track.triggers.push_back(event.start);
            TakeNames(track, timeline.Defines(), words, {});
        }
    }
    std::sort(lanes.effects.begin(), lanes.effects.end(),
              [](const EffectLane& a, const EffectLane& b) { return a.slot < b.slot; });
    for (EffectLane& lane : lanes.effects) {
        lane.running = RunningSpans(timeline, lane.slot, lanes.length);
        std::sort(lane.tracks.begin(), lane.tracks.end(), [](const ParameterTrack& a, const ParameterTrack& b) {
            return a.type != b.type ? a.type < b.type : a.index < b.index;
        });
        for (ParameterTrack& track : lane.tracks) {
            std::stable_sort(track.keys.begin(), track.keys.end(),
                             [](const TrackKey& a, const TrackKey& b) { return a.time < b.time; });
            std::stable_sort(track.fades.begin(), track.fades.end(),
                             [](const TrackFade& a, const TrackFade& b) { return a.span.start < b.span.start; });
            std::sort(track.triggers.begin(), track.triggers.end());
            // Named only now: a define may name a value on a line below its first Set.
            for (TrackKey& key : track.keys)
                key.text = track.Text(key.value);
            for (TrackFade& fade : track.fades) {
                fade.fromText = track.Text(fade.from);
                fade.toText = track.Text(fade.to);
            }
        }
    }
    lanes.patterns = PatternRuns(timeline, lanes.length);
    lanes.steps = PlaySteps(timeline, lanes.length);
    return lanes;
}
