#include "tools/demotool/timeline/TimelinePainter.h"

#include "tools/demotool/timeline/MusicEnvelope.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
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
};

Metrics MetricsOf(TimelineStyle style)
{
    return style == TimelineStyle::Picture ? Metrics{128.0, 22.0, 13.0, 10.0} : Metrics{92.0, 14.0, 10.0, 9.0};
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
    const char* name;
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

void PaintGrid(cairo_t* cr, const TimelineLanes& lanes, const TimelineLayout& layout, const Metrics& metrics,
               const std::vector<Mark>& marks)
{
    const TimeAxis& axis = layout.axis;
    const double pixelsPerMs = (axis.right - axis.left) / double(axis.to - axis.from);
    const double perBeat = lanes.msPerBeat * pixelsPerMs;
    const double perPosition = lanes.msPerPosition * pixelsPerMs;
    if (perBeat <= 0.0 || perPosition <= 0.0)
        return;
    const int32_t labelStep = LabelStep(perPosition, metrics.font * 3.2);
    // Lines for every position once they are apart enough, else only at labels.
    const int32_t lineStep = perPosition >= 5.0 ? 1 : labelStep;
    const double top = Top(layout), bottom = Bottom(layout);

    if (perBeat >= 6.0) {
        // Zoomed in far enough, beats are named too ("#47.2").
        const bool named = perBeat >= metrics.smallFont * 5.0;
        const int64_t beatsPerPosition = std::max<int64_t>(1, std::llround(lanes.msPerPosition / lanes.msPerBeat));
        cairo_set_font_size(cr, metrics.smallFont);
        const auto first = int64_t(std::floor(axis.from / lanes.msPerBeat));
        for (int64_t beat = first; beat * lanes.msPerBeat <= axis.to; ++beat) {
            const double x = axis.XOf(uint32_t(std::max(0.0, beat * lanes.msPerBeat)));
            VerticalLine(cr, x, top, bottom, kGrid, 0.25);
            const std::string name =
                "#" + std::to_string(beat / beatsPerPosition) + "." + std::to_string(beat % beatsPerPosition);
            if (named && beat % beatsPerPosition != 0 && x >= axis.left &&
                !HitsMark(marks, x, x + TextWidth(cr, name) + 3.0))
                Text(cr, std::floor(x) + 3.0, layout.ruler.bottom - 5.0, name, kGrid);
        }
    }
    cairo_set_font_size(cr, metrics.font);
    const auto first = int64_t(std::floor(axis.from / lanes.msPerPosition));
    for (int64_t position = first; position * lanes.msPerPosition <= axis.to; ++position) {
        if (position % lineStep != 0)
            continue;
        const double x = axis.XOf(uint32_t(std::max(0.0, position * lanes.msPerPosition)));
        if (x < axis.left - 0.5)
            continue;
        const bool labelled = position % labelStep == 0;
        VerticalLine(cr, x, labelled ? layout.ruler.top + 2.0 : top, bottom, kGrid, labelled ? 0.9 : 0.55);
        const std::string name = "#" + std::to_string(position);
        if (labelled && !HitsMark(marks, x, x + TextWidth(cr, name) + 3.0))
            Text(cr, std::floor(x) + 3.0, layout.ruler.bottom - 5.0, name, kDimText);
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

// Fades and dbl sets of one parameter share a scale, from its lowest to its
// highest value (0 included, so a fade to 0 reaches the lane's floor).
struct ValueRange {
    double low = 0.0;
    double high = 0.0;
    double Unit(double value) const
    {
        // A script may fade from or to an infinity (a literal like 1e400),
        // or between two, which ends in NaN: drawn at the lane's top, floor
        // or middle, the ramp's edge dashed.
        if (std::isnan(value))
            return 0.5;
        if (std::isinf(value))
            return value > 0.0 ? 1.0 : 0.0;
        return high > low ? (value - low) / (high - low) : 0.5;
    }
};

std::map<int32_t, ValueRange> FadeRanges(const EffectLane& lane)
{
    std::map<int32_t, ValueRange> ranges;
    auto take = [&](int32_t index, double value) {
        ValueRange& range = ranges[index];
        if (!std::isfinite(value))
            return;
        range.low = std::min(range.low, value);
        range.high = std::max(range.high, value);
    };
    for (const LaneFade& fade : lane.fades) {
        take(fade.index, fade.from);
        take(fade.index, fade.to);
    }
    for (const LaneSet& set : lane.sets)
        if (set.type == ValueType::Dbl && ranges.count(set.index))
            take(set.index, std::atof(set.value.c_str()));
    return ranges;
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

void PaintFades(cairo_t* cr, const EffectLane& lane, const LaneRow& row, const TimeAxis& axis)
{
    const auto ranges = FadeRanges(lane);
    const Colour colour = SlotColour(lane.slot);
    const double floor = row.bottom - 5.0;
    const double height = (row.bottom - row.top) * 0.62;
    for (const LaneFade& fade : lane.fades) {
        const ValueRange& range = ranges.at(fade.index);
        const double x0 = axis.XOf(fade.span.start), x1 = std::max(axis.XOf(fade.span.end), x0 + 1.0);
        const double y0 = floor - range.Unit(fade.from) * height;
        const double y1 = floor - range.Unit(fade.to) * height;
        cairo_move_to(cr, x0, floor);
        cairo_line_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_line_to(cr, x1, floor);
        cairo_close_path(cr);
        SetColour(cr, colour, 0.55);
        cairo_fill(cr);
        cairo_move_to(cr, x0, y0);
        cairo_line_to(cr, x1, y1);
        cairo_set_line_width(cr, 1.5);
        SetColour(cr, {1.0, 1.0, 1.0}, 0.85);
        const double dash[] = {3.0, 3.0};
        cairo_set_dash(cr, dash, std::isfinite(fade.from) && std::isfinite(fade.to) ? 0 : 2, 0.0);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0.0);
    }
}

// Ticks from the top of the lane; a value is written beside its tick when it
// fits before the next one.
void PaintSets(cairo_t* cr, const EffectLane& lane, const LaneRow& row, const TimeAxis& axis,
               const Metrics& metrics)
{
    cairo_set_font_size(cr, metrics.smallFont);
    const double tickBottom = row.top + (row.bottom - row.top) * 0.45;
    for (size_t i = 0; i < lane.sets.size(); ++i) {
        const LaneSet& set = lane.sets[i];
        const double x = axis.XOf(set.time);
        VerticalLine(cr, x, row.top + 1.0, tickBottom, kText, 0.9);
        const double next = i + 1 < lane.sets.size() ? axis.XOf(lane.sets[i + 1].time) : axis.right;
        if (TextWidth(cr, set.value) + 3.0 < next - x)
            Text(cr, std::floor(x) + 3.0, row.top + metrics.smallFont + 1.0, set.value, kText);
    }
}

void PaintTriggers(cairo_t* cr, const EffectLane& lane, const LaneRow& row, const TimeAxis& axis)
{
    for (const LaneTrigger& trigger : lane.triggers) {
        const double x = std::floor(axis.XOf(trigger.time)) + 0.5;
        VerticalLine(cr, x, row.top + 1.0, row.bottom - 1.0, kTrigger, 0.9);
        SetColour(cr, kTrigger);
        cairo_move_to(cr, x - 4.0, row.top + 1.0);
        cairo_line_to(cr, x + 4.0, row.top + 1.0);
        cairo_line_to(cr, x, row.top + 7.0);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
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
        const std::string name = "P" + std::to_string(run.pattern);
        if (TextWidth(cr, name) + 4.0 < x1 - x0)
            Text(cr, std::floor(x0) + 3.0, row.top + metrics.smallFont + 1.0, name, kText);
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

std::string ParameterList(const EffectLane& lane)
{
    std::string list;
    auto add = [&](const std::string& name) {
        if (list.find(name) == std::string::npos && list.size() < 40)
            list += (list.empty() ? "" : " ") + name;
    };
    for (const LaneSet& set : lane.sets)
        add((set.type == ValueType::Dbl ? "dbl." : set.type == ValueType::Lng ? "lng." : "bool.") +
            std::to_string(set.index));
    for (const LaneFade& fade : lane.fades)
        add("dbl." + std::to_string(fade.index));
    return list;
}

void PaintNames(cairo_t* cr, const TimelineLanes& lanes, const TimelineLayout& layout, const Metrics& metrics)
{
    const bool picture = layout.style == TimelineStyle::Picture;
    for (size_t i = 0; i < lanes.effects.size(); ++i) {
        const EffectLane& lane = lanes.effects[i];
        const LaneRow& row = layout.effects[i];
        FillRect(cr, 0.0, row.top + 1.0, 4.0, row.bottom - 1.0, SlotColour(lane.slot));
        cairo_set_font_size(cr, metrics.font);
        const double middle = (row.top + row.bottom) / 2.0;
        const std::string parameters = picture ? ParameterList(lane) : "";
        const bool twoLines = !parameters.empty() && row.bottom - row.top >= metrics.font + metrics.smallFont + 8.0;
        const double baseline = twoLines ? middle - 1.0 : middle + metrics.font * 0.35;
        Text(cr, 9.0, baseline, std::to_string(lane.slot) + " " + lane.name, kText);
        if (twoLines) {
            cairo_set_font_size(cr, metrics.smallFont);
            Text(cr, 9.0, baseline + metrics.smallFont + 3.0, parameters, kDimText);
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
                              uint32_t to, bool withMusic, TimelineStyle style)
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
    const double rows = double(lanes.effects.size() + 1);
    const double rowHeight = (height - top - 2.0) / rows;
    for (size_t i = 0; i < lanes.effects.size(); ++i)
        layout.effects.push_back({std::floor(top + i * rowHeight), std::floor(top + (i + 1) * rowHeight)});
    layout.pattern = {std::floor(top + lanes.effects.size() * rowHeight), std::floor(height - 2.0)};
    return layout;
}

void PaintTimeline(cairo_t* cr, const TimelineLanes& lanes, const MusicEnvelope* music, const TimelineLayout& layout)
{
    const Metrics metrics = MetricsOf(layout.style);
    const TimeAxis& axis = layout.axis;
    cairo_save(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    FillRect(cr, 0.0, 0.0, layout.width, layout.height, kBackground);
    for (size_t i = 0; i < layout.effects.size(); ++i)
        FillRect(cr, axis.left, layout.effects[i].top, axis.right, layout.effects[i].bottom,
                 i % 2 ? kRowDark : kRowLight);
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
        PaintRunning(cr, lane, layout.effects[i], axis);
        PaintFades(cr, lane, layout.effects[i], axis);
        PaintSets(cr, lane, layout.effects[i], axis, metrics);
        PaintTriggers(cr, lane, layout.effects[i], axis);
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
