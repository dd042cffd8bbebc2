#include "tools/demotool/timeline/TimelinePainter.h"

#include "tools/demotool/timeline/MusicEnvelope.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

struct Colour {
    double r, g, b;
};

constexpr Colour kBackground{0.086, 0.094, 0.114};
constexpr Colour kGutter{0.118, 0.129, 0.157};
constexpr Colour kRowLight{0.110, 0.122, 0.145};
constexpr Colour kRowDark{0.094, 0.102, 0.122};
constexpr Colour kText{0.86, 0.87, 0.90};
constexpr Colour kDimText{0.55, 0.57, 0.62};
constexpr Colour kGrid{0.30, 0.32, 0.38};
constexpr Colour kWavePeak{0.30, 0.40, 0.55};
constexpr Colour kWaveRms{0.55, 0.70, 0.90};
constexpr Colour kTrigger{1.0, 0.85, 0.25};
constexpr Colour kGoto{0.35, 0.85, 0.45};
constexpr Colour kEnd{0.95, 0.35, 0.35};
constexpr Colour kStar{1.0, 0.62, 0.30};
constexpr Colour kCross{0.40, 0.85, 0.95};
constexpr Colour kOtherStep{0.75, 0.75, 0.75};
constexpr Colour kTrackRow{0.071, 0.078, 0.094};
constexpr Colour kTempo{0.80, 0.55, 1.0};

// One hue per slot of the lineup, so a lane keeps its colour in every picture.
Colour SlotColour(int32_t slot)
{
    static constexpr Colour kSlots[] = {
        {0.55, 0.60, 0.70}, {0.45, 0.70, 0.95}, {0.70, 0.45, 0.95},
        {0.95, 0.35, 0.50}, {0.35, 0.80, 0.60}, {0.95, 0.65, 0.30},
    };
    constexpr int32_t count = int32_t(sizeof kSlots / sizeof kSlots[0]);
    return kSlots[(slot % count + count) % count];
}

struct Metrics {
    double gutter;
    double ruler;
    double font;
    double smallFont;
    double lane;  // the least height of a lane
    double track; // the least height of a track row
};

Metrics MetricsOf(TimelineStyle style)
{
    return style == TimelineStyle::Picture ? Metrics{150.0, 22.0, 13.0, 10.0, 30.0, 26.0}
                                           : Metrics{92.0, 14.0, 10.0, 9.0, 14.0, 14.0};
}

void SetColour(cairo_t* cr, Colour c, double alpha = 1.0)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void FillRect(cairo_t* cr, double x0, double y0, double x1, double y1, Colour c, double alpha = 1.0)
{
    SetColour(cr, c, alpha);
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
    cairo_fill(cr);
}

// A one-pixel line down the middle of the pixel column that holds x.
void VerticalLine(cairo_t* cr, double x, double y0, double y1, Colour c, double alpha = 1.0)
{
    SetColour(cr, c, alpha);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, std::floor(x) + 0.5, y0);
    cairo_line_to(cr, std::floor(x) + 0.5, y1);
    cairo_stroke(cr);
}

double TextWidth(cairo_t* cr, const std::string& text)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

void Text(cairo_t* cr, double x, double baseline, const std::string& text, Colour c)
{
    SetColour(cr, c);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text.c_str());
}

double Top(const TimelineLayout& layout)
{
    return layout.ruler.bottom;
}

double Bottom(const TimelineLayout& layout)
{
    return layout.pattern.bottom;
}

// The smallest of 1, 2, 4, 8... positions between labels that keeps them apart.
int32_t LabelStep(double pixelsPerPosition, double minimumGap)
{
    int32_t step = 1;
    while (step * pixelsPerPosition < minimumGap && step < (1 << 20))
        step *= 2;
    return step;
}

// Goto and End: a line through every lane and the name in the ruler.
struct Mark {
    uint32_t time;
    std::string name;
    Colour colour;
    double textLeft = 0.0;
    double textRight = 0.0; // equal to textLeft when the mark is off the picture
};

std::vector<Mark> PlaceMarks(cairo_t* cr, const TimelineLanes& lanes, const TimelineLayout& layout)
{
    std::vector<Mark> marks;
    if (lanes.startTime != 0)
        marks.push_back({lanes.startTime, "Goto", kGoto});
    if (lanes.hasEnd)
        marks.push_back({lanes.endTime, "End", kEnd});
    for (size_t i = 1; i < lanes.tempos.size(); ++i)
        marks.push_back({lanes.tempos[i].start,
                         std::to_string(std::lround(60000.0 / std::max(lanes.tempos[i].msPerBeat, 1.0))) + " BPM",
                         kTempo});
    for (Mark& mark : marks) {
        const double x = layout.axis.XOf(mark.time);
        if (x < layout.axis.left - 0.5 || x > layout.axis.right + 0.5)
            continue;
        const double width = TextWidth(cr, mark.name);
        // Written to the left of the line when it would run off the right edge.
        mark.textLeft = x + width + 4.0 < layout.width ? std::floor(x) + 3.0 : std::floor(x) - width - 2.0;
        mark.textRight = mark.textLeft + width;
    }
    return marks;
}

bool HitsMark(const std::vector<Mark>& marks, double left, double right)
{
    for (const Mark& mark : marks)
        if (mark.textRight > mark.textLeft && left < mark.textRight + 4.0 && right > mark.textLeft - 4.0)
            return true;
    return false;
}

void PaintMarks(cairo_t* cr, const TimelineLayout& layout, const std::vector<Mark>& marks)
{
    for (const Mark& mark : marks) {
        if (mark.textRight <= mark.textLeft)
            continue;
        VerticalLine(cr, layout.axis.XOf(mark.time), layout.ruler.top, Bottom(layout), mark.colour);
        Text(cr, mark.textLeft, layout.ruler.bottom - 5.0, mark.name, mark.colour);
    }
}

// The grid of one tempo over [start, end): beats and positions counted from
// the show's start at that tempo, as the lines read at it count them.
void PaintTempoGrid(cairo_t* cr, const TempoRun& tempo, uint32_t start, uint32_t end, const TimelineLayout& layout,
                    const Metrics& metrics, const std::vector<Mark>& marks)
{
    const TimeAxis& axis = layout.axis;
    const double pixelsPerMs = (axis.right - axis.left) / double(axis.to - axis.from);
    const double perBeat = tempo.msPerBeat * pixelsPerMs;
    const double perPosition = tempo.msPerPosition * pixelsPerMs;
    if (perBeat <= 0.0 || perPosition <= 0.0)
        return;
    const int32_t labelStep = LabelStep(perPosition, metrics.font * 3.2);
    // Lines for every position once they are apart enough, else only at labels.
    const int32_t lineStep = perPosition >= 5.0 ? 1 : labelStep;
    const double top = Top(layout), bottom = Bottom(layout);
    const double from = std::max(axis.from, start), to = std::min(double(axis.to), double(end) - 0.5);

    if (perBeat >= 6.0) {
        // Zoomed in far enough, beats are named too ("#47.2").
        const bool named = perBeat >= metrics.smallFont * 5.0;
        const int64_t beatsPerPosition = std::max<int64_t>(1, std::llround(tempo.msPerPosition / tempo.msPerBeat));
        cairo_set_font_size(cr, metrics.smallFont);
        for (auto beat = int64_t(std::ceil(from / tempo.msPerBeat)); beat * tempo.msPerBeat <= to; ++beat) {
            const double x = axis.XOf(uint32_t(std::max(0.0, beat * tempo.msPerBeat)));
            VerticalLine(cr, x, top, bottom, kGrid, 0.25);
            const std::string name =
                "#" + std::to_string(beat / beatsPerPosition) + "." + std::to_string(beat % beatsPerPosition);
            if (named && beat % beatsPerPosition != 0 && x >= axis.left &&
                !HitsMark(marks, x, x + TextWidth(cr, name) + 3.0))
                Text(cr, std::floor(x) + 3.0, layout.ruler.bottom - 5.0, name, kGrid);
        }
    }
    cairo_set_font_size(cr, metrics.font);
    for (auto position = int64_t(std::ceil(from / tempo.msPerPosition)); position * tempo.msPerPosition <= to;
         ++position) {
        if (position % lineStep != 0)
            continue;
        const double x = axis.XOf(uint32_t(std::max(0.0, position * tempo.msPerPosition)));
        if (x < axis.left - 0.5)
            continue;
        const bool labelled = position % labelStep == 0;
        VerticalLine(cr, x, labelled ? layout.ruler.top + 2.0 : top, bottom, kGrid, labelled ? 0.9 : 0.55);
        const std::string name = "#" + std::to_string(position);
        if (labelled && !HitsMark(marks, x, x + TextWidth(cr, name) + 3.0))
            Text(cr, std::floor(x) + 3.0, layout.ruler.bottom - 5.0, name, kDimText);
    }
}

void PaintGrid(cairo_t* cr, const TimelineLanes& lanes, const TimelineLayout& layout, const Metrics& metrics,
               const std::vector<Mark>& marks)
{
    const std::vector<TempoRun> only{{0, lanes.msPerBeat, lanes.msPerPosition}};
    const std::vector<TempoRun>& tempos = lanes.tempos.empty() ? only : lanes.tempos;
    for (size_t i = 0; i < tempos.size(); ++i) {
        const uint32_t end = i + 1 < tempos.size() ? tempos[i + 1].start : UINT32_MAX;
        if (end > layout.axis.from && tempos[i].start <= layout.axis.to)
            PaintTempoGrid(cr, tempos[i], tempos[i].start, end, layout, metrics, marks);
    }
}

void PaintMusic(cairo_t* cr, const MusicEnvelope& music, const TimelineLayout& layout)
{
    const LaneRow& row = layout.music;
    const double middle = (row.top + row.bottom) / 2.0;
    const double half = (row.bottom - row.top) / 2.0 - 2.0;
    const TimeAxis& axis = layout.axis;
    for (int32_t x = int32_t(axis.left); x < int32_t(std::ceil(axis.right)); ++x) {
        float peak = 0.0f, rms = 0.0f;
        music.Measure(axis.TimeAt(x), std::max(axis.TimeAt(x + 1), axis.TimeAt(x) + 1), peak, rms);
        if (peak <= 0.0f)
            continue;
        FillRect(cr, x, middle - peak * half, x + 1, middle + peak * half, kWavePeak);
        FillRect(cr, x, middle - rms * half, x + 1, middle + rms * half, kWaveRms);
    }
}

// A track's values from its lowest to its highest (0 included, where every
// parameter starts), so a ramp from 2.5 to -1 spans the row as it should.
struct ValueRange {
    double low = 0.0;
    double high = 0.0;

    void Take(double value)
    {
        if (!std::isfinite(value))
            return;
        low = std::min(low, value);
        high = std::max(high, value);
    }
    double Unit(double value) const
    {
        // A script may fade from or to an infinity (a literal like 1e400),
        // or between two, which ends in NaN: drawn at the row's top, floor
        // or middle.
        if (std::isnan(value))
            return 0.5;
        if (std::isinf(value))
            return value > 0.0 ? 1.0 : 0.0;
        return high > low ? (value - low) / (high - low) : 0.5;
    }
};

ValueRange RangeOf(const ParameterTrack& track)
{
    ValueRange range;
    if (track.type == ValueType::Bool)
        range.Take(1.0);
    for (const TrackKey& key : track.keys)
        range.Take(key.value);
    for (const TrackFade& fade : track.fades) {
        range.Take(fade.from);
        range.Take(fade.to);
    }
    return range;
}

void PaintRunning(cairo_t* cr, const EffectLane& lane, const LaneRow& row, const TimeAxis& axis)
{
    const Colour colour = SlotColour(lane.slot);
    for (const TimeSpan& span : lane.running) {
        const double x0 = axis.XOf(span.start), x1 = axis.XOf(span.end);
        FillRect(cr, x0, row.top + 1.0, x1, row.bottom - 1.0, colour, 0.22);
        FillRect(cr, x0, row.bottom - 5.0, x1, row.bottom - 1.0, colour, 0.95);
    }
}

struct Label {
    double x;
    std::string text;
    Colour colour;
};

// Left to right, each label where it clears the one written before; one that
// does not is counted onto that one as "+N", so none goes missing unmarked.
// Labels off the picture are left out: the value in force at its left edge
// stands for those before it.
void PaintLabels(cairo_t* cr, std::vector<Label> labels, double baseline, double fontHeight, const TimeAxis& axis)
{
    std::stable_sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) { return a.x < b.x; });
    struct Shown {
        const Label* label;
        int32_t hidden;
        std::string Text() const { return label->text + (hidden ? " +" + std::to_string(hidden) : ""); }
    };
    std::vector<Shown> shown;
    for (const Label& label : labels) {
        if (label.x < axis.left - 0.5 || label.x > axis.right)
            continue;
        const bool clashes =
            !shown.empty() && label.x < shown.back().label->x + TextWidth(cr, shown.back().Text()) + 6.0;
        // The same words again (a fade from the value just set) say nothing new.
        if (clashes && label.text == shown.back().label->text)
            continue;
        if (clashes)
            ++shown.back().hidden;
        else
            shown.push_back({&label, 0});
    }
    // On a patch of their own, so that later ticks do not run through them.
    for (const Shown& label : shown) {
        const double x = std::floor(label.label->x) + 2.0;
        FillRect(cr, x, baseline - fontHeight + 1.0, x + TextWidth(cr, label.Text()) + 2.0, baseline + 2.0, kTrackRow,
                 0.85);
        Text(cr, x + 1.0, baseline, label.Text(), label.label->colour);
    }
}

// The value as a line across the row, one sample a pixel column: steps at
// Sets, ramps over fades, on the track's own scale.
void PaintCurve(cairo_t* cr, const ParameterTrack& track, double top, double bottom, const TimeAxis& axis,
                Colour colour)
{
    const ValueRange range = RangeOf(track);
    const auto y = [&](double value) { return bottom - range.Unit(value) * (bottom - top); };
    const int32_t first = int32_t(std::floor(axis.left)), last = int32_t(std::ceil(axis.right));
    cairo_move_to(cr, first, bottom);
    for (int32_t x = first; x < last; ++x)
        cairo_line_to(cr, x + 0.5, y(track.ValueAt(axis.TimeAt(x + 0.5))));
    cairo_line_to(cr, last, bottom);
    cairo_close_path(cr);
    SetColour(cr, colour, 0.30);
    cairo_fill(cr);
    for (int32_t x = first; x < last; ++x)
        cairo_line_to(cr, x + 0.5, y(track.ValueAt(axis.TimeAt(x + 0.5))));
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, colour);
    cairo_stroke(cr);
}

void PaintTriggers(cairo_t* cr, const std::vector<uint32_t>& triggers, const LaneRow& row, const TimeAxis& axis)
{
    for (const uint32_t time : triggers) {
        const double x = std::floor(axis.XOf(time)) + 0.5;
        VerticalLine(cr, x, row.top + 1.0, row.bottom - 1.0, kTrigger, 0.9);
        SetColour(cr, kTrigger);
        cairo_move_to(cr, x - 4.0, row.top + 1.0);
        cairo_line_to(cr, x + 4.0, row.top + 1.0);
        cairo_line_to(cr, x, row.top + 7.0);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

// Ticks from the row's top at Sets and fade ends, and their labels: a Set's
// value, a fade's values at both ends, each where it takes over.
void KeyLabels(const ParameterTrack& track, const std::string& prefix, const LaneRow& row, const TimeAxis& axis,
               cairo_t* cr, std::vector<Label>& labels)
{
    const double tickBottom = row.top + (row.bottom - row.top) * 0.45;
    for (const TrackKey& key : track.keys) {
        VerticalLine(cr, axis.XOf(key.time), row.top + 1.0, tickBottom, kText, 0.9);
        labels.push_back({axis.XOf(key.time), prefix + key.text, kText});
    }
    for (const TrackFade& fade : track.fades) {
        labels.push_back({axis.XOf(fade.span.start), prefix + fade.fromText, kText});
        labels.push_back({axis.XOf(fade.span.end), prefix + fade.toText, kText});
    }
}

void PaintTrack(cairo_t* cr, const ParameterTrack& track, int32_t slot, const LaneRow& row, const TimeAxis& axis,
                const Metrics& metrics)
{
    cairo_set_font_size(cr, metrics.smallFont);
    const double curveTop = row.top + std::min(metrics.smallFont + 3.0, (row.bottom - row.top) / 2.0);
    PaintCurve(cr, track, curveTop, row.bottom - 2.0, axis, SlotColour(slot));
    std::vector<Label> labels;
    // Zoomed in, the value set before the picture's start is written at its
    // left edge, unless something happens right there.
    bool startsThere = track.keys.empty() && track.fades.empty();
    for (const TrackKey& key : track.keys)
        startsThere = startsThere || key.time == axis.from;
    for (const TrackFade& fade : track.fades)
        startsThere = startsThere || fade.span.start == axis.from || fade.span.end == axis.from;
    if (axis.from > 0 && !startsThere)
        labels.push_back({axis.left, "= " + track.Text(track.ValueAt(axis.from)), kDimText});
    KeyLabels(track, "", row, axis, cr, labels);
    PaintTriggers(cr, track.triggers, row, axis);
    PaintLabels(cr, std::move(labels), row.top + metrics.smallFont, metrics.smallFont, axis);
}

// All tracks in the lane: each fade a ramp on its track's scale, each Set a
// tick, labels named by parameter when there are several.
void PaintFolded(cairo_t* cr, const EffectLane& lane, const LaneRow& row, const TimeAxis& axis,
                 const Metrics& metrics)
{
    cairo_set_font_size(cr, metrics.smallFont);
    const double floor = row.bottom - 5.0;
    const double height = (row.bottom - row.top) * 0.62;
    std::vector<Label> labels;
    for (const ParameterTrack& track : lane.tracks) {
        const ValueRange range = RangeOf(track);
        for (const TrackFade& fade : track.fades) {
            const double x0 = axis.XOf(fade.span.start), x1 = std::max(axis.XOf(fade.span.end), x0 + 1.0);
            const double y0 = floor - range.Unit(fade.from) * height;
            const double y1 = floor - range.Unit(fade.to) * height;
            cairo_move_to(cr, x0, floor);
            cairo_line_to(cr, x0, y0);
            cairo_line_to(cr, x1, y1);
            cairo_line_to(cr, x1, floor);
            cairo_close_path(cr);
            SetColour(cr, SlotColour(lane.slot), 0.55);
            cairo_fill(cr);
        }
        KeyLabels(track, lane.tracks.size() > 1 ? track.parameter + "=" : "", row, axis, cr, labels);
        PaintTriggers(cr, track.triggers, row, axis);
    }
    PaintLabels(cr, std::move(labels), row.top + metrics.smallFont + 1.0, metrics.smallFont, axis);
}

void PaintPatterns(cairo_t* cr, const TimelineLanes& lanes, const LaneRow& row, const TimeAxis& axis,
                   const Metrics& metrics)
{
    cairo_set_font_size(cr, metrics.smallFont);
    for (size_t i = 0; i < lanes.patterns.size(); ++i) {
        const PatternRun& run = lanes.patterns[i];
        const double x0 = axis.XOf(run.span.start), x1 = axis.XOf(run.span.end);
        VerticalLine(cr, x0, row.top + 1.0, row.bottom - 1.0, kText, 0.8);
        if (run.pattern < 0)
            continue;
        FillRect(cr, x0, row.top + 1.0, x1, row.bottom - 1.0, i % 2 ? kStar : kCross, 0.10);
        // A run that began before the picture is named at its left edge.
        const double left = std::max(x0, axis.left);
        const std::string name = "P" + std::to_string(run.pattern);
        if (TextWidth(cr, name) + 4.0 < x1 - left)
            Text(cr, std::floor(left) + 3.0, row.top + metrics.smallFont + 1.0, name, kText);
    }
    const double height = row.bottom - row.top;
    const double radius = std::clamp(height / 12.0, 1.5, 3.0);
    for (const DeliveredStep& step : lanes.steps) {
        const double x = axis.XOf(step.time);
        if (x < axis.left - radius || x > axis.right + radius)
            continue;
        const bool star = step.step == '*', cross = step.step == 'x';
        const double y = row.top + height * (star ? 0.45 : cross ? 0.75 : 0.6);
        SetColour(cr, star ? kStar : cross ? kCross : kOtherStep);
        cairo_arc(cr, x, y, star ? radius * 1.3 : radius, 0.0, 2.0 * M_PI);
        cairo_fill(cr);
    }
}

void PaintNames(cairo_t* cr, const TimelineLanes& lanes, const TimelineLayout& layout, const Metrics& metrics)
{
    for (size_t i = 0; i < lanes.effects.size(); ++i) {
        const EffectLane& lane = lanes.effects[i];
        const SlotRows& rows = layout.effects[i];
        const LaneRow& row = rows.lane;
        const double bottom = rows.tracks.empty() ? row.bottom : rows.tracks.back().bottom;
        FillRect(cr, 0.0, row.top + 1.0, 4.0, bottom - 1.0, SlotColour(lane.slot));
        cairo_set_font_size(cr, metrics.font);
        const double middle = (row.top + row.bottom) / 2.0;
        // A folded slot says what it holds.
        const bool folded = rows.tracks.empty() && !lane.tracks.empty();
        const bool twoLines = folded && row.bottom - row.top >= metrics.font + metrics.smallFont + 6.0;
        const double baseline = twoLines ? middle - 1.0 : middle + metrics.font * 0.35;
        std::string name = std::to_string(lane.slot) + " " + lane.name;
        if (folded && !twoLines)
            name += " +" + std::to_string(lane.tracks.size());
        Text(cr, 9.0, baseline, name, kText);
        cairo_set_font_size(cr, metrics.smallFont);
        if (twoLines)
            Text(cr, 9.0, baseline + metrics.smallFont + 3.0,
                 std::to_string(lane.tracks.size()) + (lane.tracks.size() > 1 ? " tracks" : " track") + " folded",
                 kDimText);
        for (size_t t = 0; t < rows.tracks.size(); ++t) {
            const LaneRow& track = rows.tracks[t];
            Text(cr, 14.0, (track.top + track.bottom) / 2.0 + metrics.smallFont * 0.35, lane.tracks[t].Label(),
                 kDimText);
        }
    }
    cairo_set_font_size(cr, metrics.font);
    const double middle = (layout.pattern.top + layout.pattern.bottom) / 2.0;
    Text(cr, 9.0, middle + metrics.font * 0.35, "pattern", kText);
    if (layout.music.bottom > layout.music.top)
        Text(cr, 9.0, (layout.music.top + layout.music.bottom) / 2.0 + metrics.font * 0.35, "music", kDimText);
}

} // namespace

double TimeAxis::XOf(uint32_t milliseconds) const
{
    return left + (double(milliseconds) - double(from)) * (right - left) / double(to - from);
}

uint32_t TimeAxis::TimeAt(double x) const
{
    const double time = double(from) + (x - left) * double(to - from) / (right - left);
    return uint32_t(std::clamp<int64_t>(std::llround(time), from, to));
}

TimelineLayout LayOutTimeline(const TimelineLanes& lanes, int32_t width, int32_t height, uint32_t from,
                              uint32_t to, bool withMusic, TimelineStyle style, const std::vector<int32_t>* unfold)
{
    const Metrics metrics = MetricsOf(style);
    TimelineLayout layout{style, width, height, {from, std::max(to, from + 1), metrics.gutter, width - 6.0},
                          {0.0, metrics.ruler}, {}, {}, {}};
    double top = layout.ruler.bottom;
    if (withMusic) {
        const double musicHeight = std::floor((height - top) * 0.18);
        layout.music = {top, top + musicHeight};
        top += musicHeight;
    } else {
        layout.music = {top, top};
    }
    // Tracks unfold, slot by slot, while every lane keeps its least height;
    // then tracks grow to two and a half times their height at most and lanes
    // share the rest.
    const double room = height - top - 2.0;
    const size_t slots = lanes.effects.size();
    double needed = double(slots + 1) * metrics.lane;
    size_t trackCount = 0;
    std::vector<bool> open(slots, false);
    for (size_t i = 0; i < slots; ++i) {
        const EffectLane& lane = lanes.effects[i];
        const bool asked = !unfold || std::find(unfold->begin(), unfold->end(), lane.slot) != unfold->end();
        const double more = double(lane.tracks.size()) * metrics.track;
        if (asked && !lane.tracks.empty() && needed + more <= room) {
            open[i] = true;
            needed += more;
            trackCount += lane.tracks.size();
        }
    }
    // Whole pixels, so that every track of a picture has the same height.
    const double trackHeight = std::floor(std::min(metrics.track * 2.5, metrics.track * room / needed));
    const double laneHeight = (room - double(trackCount) * trackHeight) / double(slots + 1);
    for (size_t i = 0; i < slots; ++i) {
        SlotRows rows{{std::floor(top), std::floor(top + laneHeight)}, {}};
        top = rows.lane.bottom;
        for (size_t t = 0; open[i] && t < lanes.effects[i].tracks.size(); ++t) {
            rows.tracks.push_back({top, top + trackHeight});
            top += trackHeight;
        }
        layout.effects.push_back(std::move(rows));
    }
    layout.pattern = {std::floor(top), std::floor(height - 2.0)};
    return layout;
}

void PaintTimeline(cairo_t* cr, const TimelineLanes& lanes, const MusicEnvelope* music, const TimelineLayout& layout)
{
    const Metrics metrics = MetricsOf(layout.style);
    const TimeAxis& axis = layout.axis;
    cairo_save(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    FillRect(cr, 0.0, 0.0, layout.width, layout.height, kBackground);
    for (size_t i = 0; i < layout.effects.size(); ++i) {
        const SlotRows& rows = layout.effects[i];
        FillRect(cr, axis.left, rows.lane.top, axis.right, rows.lane.bottom, i % 2 ? kRowDark : kRowLight);
        for (const LaneRow& track : rows.tracks) {
            FillRect(cr, axis.left, track.top, axis.right, track.bottom, kTrackRow);
            FillRect(cr, axis.left, track.top, axis.right, track.top + 1.0, kGutter);
        }
    }
    FillRect(cr, axis.left, layout.pattern.top, axis.right, layout.pattern.bottom,
             layout.effects.size() % 2 ? kRowDark : kRowLight);

    cairo_save(cr);
    cairo_rectangle(cr, axis.left, 0.0, axis.right - axis.left, layout.height);
    cairo_clip(cr);
    // Past the show's end nothing plays: shaded.
    FillRect(cr, axis.XOf(lanes.length), Top(layout), axis.right, Bottom(layout), {0.0, 0.0, 0.0}, 0.45);
    cairo_set_font_size(cr, metrics.font);
    const std::vector<Mark> marks = PlaceMarks(cr, lanes, layout);
    PaintGrid(cr, lanes, layout, metrics, marks);
    if (music && !music->Empty() && layout.music.bottom > layout.music.top)
        PaintMusic(cr, *music, layout);
    for (size_t i = 0; i < lanes.effects.size(); ++i) {
        const EffectLane& lane = lanes.effects[i];
        const SlotRows& rows = layout.effects[i];
        PaintRunning(cr, lane, rows.lane, axis);
        if (rows.tracks.empty())
            PaintFolded(cr, lane, rows.lane, axis, metrics);
        for (size_t t = 0; t < rows.tracks.size(); ++t)
            PaintTrack(cr, lane.tracks[t], lane.slot, rows.tracks[t], axis, metrics);
    }
    PaintPatterns(cr, lanes, layout.pattern, axis, metrics);
    cairo_set_font_size(cr, metrics.font);
    PaintMarks(cr, layout, marks);
    cairo_restore(cr);

    FillRect(cr, 0.0, 0.0, axis.left, layout.height, kGutter);
    PaintNames(cr, lanes, layout, metrics);
    cairo_restore(cr);
}

void PaintPlayhead(cairo_t* cr, const TimelineLayout& layout, uint32_t time)
{
    const double x = layout.axis.XOf(time);
    if (x < layout.axis.left || x > layout.axis.right)
        return;
    VerticalLine(cr, x, 0.0, layout.height, {1.0, 1.0, 1.0});
}
