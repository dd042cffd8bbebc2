#pragma once

#include "demo/TimelineEvent.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class ScriptSession;

// A stretch of show time in milliseconds, end excluded.
struct TimeSpan {
    uint32_t start;
    uint32_t end;
};

// A Set, with its value as the author would read it: the define's name when
// the script set this parameter by one of that value, else the number.
struct TrackKey {
    uint32_t time;
    double value; // a flag's is 1 or 0
    std::string text;
};

struct TrackFade {
    TimeSpan span;
    double from;
    double to;
    std::string fromText;
    std::string toText;
};

// One parameter of a slot that the script touches, other than the running
// flag (that is the lane's bar), with everything done to it in time order.
struct ParameterTrack {
    ValueType type;
    int32_t index;
    std::string parameter; // "dbl.3"
    std::string name;      // the parameter table's name, else a define that names it; may be empty
    bool read;             // by an effect, as the parameter table says
    std::vector<TrackKey> keys;
    std::vector<TrackFade> fades;
    std::vector<uint32_t> triggers;
    std::map<std::string, std::string> valueNames; // the number as written by Text -> define name

    // The value playback gives the effect at that moment (0 before anything),
    // fades ramping over their spans.
    double ValueAt(uint32_t time) const;
    std::string Text(double value) const;
    // "dbl.3 camera speed", "dbl.0 (unread)"
    std::string Label() const
    {
        return parameter + (name.empty() ? "" : " " + name) + (read ? "" : " (unread)");
    }
};

// Everything the script does to one effect slot.
struct EffectLane {
    int32_t slot;
    std::string name; // the lineup's name, or "no effect" beyond it
    std::vector<TimeSpan> running;
    std::vector<ParameterTrack> tracks; // dbl, then lng, then flags, by index
};

// The position grid from `start` on: a LoadMusic changes the tempo that
// later lines' #P.B times read with, from the first moment those lines name.
struct TempoRun {
    uint32_t start;
    double msPerBeat;
    double msPerPosition;
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
    double msPerBeat = 480.0;   // the last tempo, which patterns play at
    double msPerPosition = 1920.0;
    std::vector<TempoRun> tempos; // from 0, in time order
};

// Reads the loaded script's events (and its lines, for the names of defines),
// then plays it from 0 to `length` in short frames to see where pattern steps
// land, so the timeline is left played through; load the script again to
// play it for real.
TimelineLanes BuildTimelineLanes(ScriptSession& session);
