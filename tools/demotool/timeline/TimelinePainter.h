#pragma once

#include "tools/demotool/timeline/TimelineLanes.h"

#include <cstdint>
#include <vector>

typedef struct _cairo cairo_t;
class MusicEnvelope;

// Maps show time to picture columns: `from` lands on x = `left`, `to` on
// x = `right`. A time at x lies in pixel column floor(x).
struct TimeAxis {
    uint32_t from;
    uint32_t to; // more than from
    double left;
    double right;

    double XOf(uint32_t milliseconds) const;
    // The time under x, held to [from, to].
    uint32_t TimeAt(double x) const;
};

// A horizontal band of the picture, in pixels from its top.
struct LaneRow {
    double top;
    double bottom;
};

enum class TimelineStyle {
    Picture, // the whole script on its own: names, parameters, large labels
    Strip,   // a thin band under a running show
};

// An effect slot's rows: its lane, with the running bar, and under it a row
// per parameter track when unfolded. A folded slot draws its tracks' keys,
// fades and triggers in the lane itself.
struct SlotRows {
    LaneRow lane;
    std::vector<LaneRow> tracks; // one per EffectLane::tracks entry, or none when folded
};

// Where each part of a timeline picture goes. Slots are stacked in the order
// of TimelineLanes::effects, then the pattern lane.
struct TimelineLayout {
    TimelineStyle style;
    int32_t width;
    int32_t height;
    TimeAxis axis;
    LaneRow ruler; // position labels
    LaneRow music; // top == bottom without music
    std::vector<SlotRows> effects;
    LaneRow pattern;
};

// Slots in `unfold` (all of them when it is null) get rows for their tracks,
// in slot order, as long as every row keeps a legible height; the rest fold.
TimelineLayout LayOutTimeline(const TimelineLanes& lanes, int32_t width, int32_t height, uint32_t from,
                              uint32_t to, bool withMusic, TimelineStyle style,
                              const std::vector<int32_t>* unfold = nullptr);

// Paints the whole layout, every pixel of it, over whatever the surface held.
// `music` may be null.
void PaintTimeline(cairo_t* cr, const TimelineLanes& lanes, const MusicEnvelope* music,
                   const TimelineLayout& layout);

// A line across every lane at one moment, for a playing show.
void PaintPlayhead(cairo_t* cr, const TimelineLayout& layout, uint32_t time);
