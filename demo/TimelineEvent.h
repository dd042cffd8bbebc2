#pragma once

#include <cstdint>

// What an event does when its time comes. Playback moves a kind forward as the
// event fires; nothing ever moves it back.
enum class EventKind : int32_t {
    Set = 0,
    Fade = 1,
    Done = 2,           // finished; never written by the reader
    PatternSwitch = 3,
    Trigger = 4,
    TriggerRelease = 5, // a trigger that has raised its flag this frame
};

// Which typed array of an EffectParams block an event writes.
enum class ValueType : int32_t {
    Dbl = 0,
    Lng = 1,
    Bool = 2,
};

// One timed action read from a script line.
struct TimelineEvent {
    int32_t effect;       // effect slot, the script's scene number
    uint32_t start;       // ms at which the event fires
    uint32_t end;         // ms at which a fade ends; start for every other kind
    EventKind kind;
    ValueType valueType;
    // A dbl Set's value; a fade's change per ms, or for a fade of duration 0
    // the value it jumps to (there is no rate to speak of).
    double dblValue;
    int32_t lngValue;     // a lng Set's value; a pattern switch's id, -1 for none
    uint8_t boolValue;    // a bool Set's value, 1 or 0
    double fadeFrom;
    int32_t index;        // index into the typed array of the effect's block
};

// A rhythm pattern: step characters played four to a beat; 0 is a rest.
struct Pattern {
    static constexpr int kMaxSteps = 128;

    int32_t length;
    char steps[kMaxSteps];
};
