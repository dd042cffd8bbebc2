#pragma once

#include "demo/TimelineEvent.h"

#include <cstdint>
#include <string>
#include <vector>

class Timeline;

// A stretch of show time in milliseconds, end excluded.
struct TimeSpan {
    uint32_t start;
    uint32_t end;
};

// A Set of anything but the running flag.
struct LaneSet {
    uint32_t time;
    ValueType type;
    int32_t index;
    std::string value; // as the author would write it: "0.5", "3", "true"
};

struct LaneFade {
    TimeSpan span;
    int32_t index; // into dbl
    double from;
    double to;
};

struct LaneTrigger {
    uint32_t time;
    int32_t index; // the flag it pulses
};

// Everything the script does to one effect slot, in time order.
struct EffectLane {
    int32_t slot;
    std::string name; // the lineup's name, or "no effect" beyond it
    std::vector<TimeSpan> running;
    std::vector<LaneSet> sets;
    std::vector<LaneFade> fades;
    std::vector<LaneTrigger> triggers;
};

// A pattern made current by a switch, until the next switch (or the show's end).
struct PatternRun {
    TimeSpan span;
    int32_t pattern; // -1: a DisablePattern
};

// A step character as playback delivers it to the effects.
struct DeliveredStep {
    uint32_t time;
    char step;
};

// The script laid out per effect slot against the show's time, from the same
// events the tracer plays; what the timeline picture and the preview strip draw.
struct TimelineLanes {
    std::vector<EffectLane> effects; // slots with any event, in slot order
    std::vector<PatternRun> patterns;
    std::vector<DeliveredStep> steps;
    uint32_t startTime = 0;     // the script's Goto
    bool hasEnd = false;
    uint32_t endTime = 0;       // the script's End, when hasEnd
    uint32_t length = 0;        // what the pictures cover: the End, else past the last event
    double msPerBeat = 480.0;
    double msPerPosition = 1920.0;
};

// Reads the loaded timeline's events, then plays it from 0 to `length` in short
// frames to see where pattern steps land, so the timeline is left played
// through; load the script again to play it for real.
TimelineLanes BuildTimelineLanes(Timeline& timeline);
