#include "tools/demotool/preview/TimelineStrip.h"

#include "tools/demotool/preview/SavedGLState.h"

#include <GL/gl.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>

TimelineStrip::~TimelineStrip()
{
    if (texture != 0)
        glDeleteTextures(1, &texture);
}

void TimelineStrip::SetLanes(TimelineLanes newLanes)
{
    lanes = std::move(newLanes);
    stale = true;
}

int32_t TimelineStrip::HeightFor(int32_t windowHeight)
{
    return std::clamp(windowHeight / 4, std::min(windowHeight, 96), 220);
}

TimeSpan TimelineStrip::WindowAround(uint32_t playhead, double msPerPosition)
{
    const double position = std::max(msPerPosition, 1.0);
    const double page = kPositionsPerPage * position;
    // The page's start less half a page, so the playhead stays in the middle
    // half of what is shown.
    const double from = std::max(0.0, std::floor(playhead / page) * page - page / 2.0);
    return {uint32_t(std::llround(from)), uint32_t(std::llround(from + kPositionsShown * position))};
}

void TimelineStrip::Repaint(int32_t width, int32_t height, TimeSpan shown)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    layout = LayOutTimeline(lanes, width, height, shown.start, shown.end, false, TimelineStyle::Strip, &unfolded);
    PaintTimeline(cr, lanes, nullptr, layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    if (texture == 0)
        glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, cairo_image_surface_get_stride(surface) / 4);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    // Cairo's 32-bit pixels are B, G, R, unused in memory on this byte order.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 cairo_image_surface_get_data(surface));
    cairo_surface_destroy(surface);
    painted = shown;
    stale = false;
}

void TimelineStrip::Draw(int32_t windowWidth, int32_t newWindowHeight, uint32_t playhead)
{
    const int32_t height = HeightFor(newWindowHeight);
    if (windowWidth < 1 || height < 1)
        return;
    const TimeSpan shown = WindowAround(playhead, lanes.msPerPosition);
    SavedGLState saved(windowWidth, newWindowHeight);
    if (stale || !drawn || shown.start != painted.start || windowWidth != layout.width || height != layout.height)
        Repaint(windowWidth, height, shown);
    windowHeight = newWindowHeight;
    drawn = true;

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    // Texture rows run from the picture's top, window rows from the bottom.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2i(0, 0);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(0, height);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2i(windowWidth, height);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2i(windowWidth, 0);
    glEnd();

    const double x = layout.axis.XOf(playhead);
    if (x >= layout.axis.left && x <= layout.axis.right) {
        glDisable(GL_TEXTURE_2D);
        glColor3f(1.0f, 1.0f, 1.0f);
        const double column = std::floor(x);
        glRectd(column - 1.0, 0.0, column + 1.0, height);
    }
}

void TimelineStrip::ToggleTracksAt(int32_t x, int32_t y)
{
    std::optional<int32_t> slot;
    const double row = y - (windowHeight - layout.height);
    for (size_t i = 0; drawn && x >= 0 && i < layout.effects.size() && i < lanes.effects.size(); ++i) {
        const SlotRows& rows = layout.effects[i];
        if (row >= rows.lane.top && row < (rows.tracks.empty() ? rows.lane.bottom : rows.tracks.back().bottom))
            slot = lanes.effects[i].slot;
    }
    for (size_t i = 0; !slot && i < lanes.effects.size(); ++i)
        if (lanes.effects[i].name == "heart")
            slot = lanes.effects[i].slot;
    if (!slot)
        return;
    const auto open = std::find(unfolded.begin(), unfolded.end(), *slot);
    if (open != unfolded.end())
        unfolded.erase(open);
    else
        unfolded.push_back(*slot);
    stale = true;
}

void TimelineStrip::DrawLoopMarks(std::optional<uint32_t> start, std::optional<uint32_t> end) const
{
    if (!drawn || (!start && !end))
        return;
    SavedGLState saved(layout.width, windowHeight);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1.0f, 0.6f, 0.1f);
    const int32_t height = layout.height;
    for (const auto& [time, tick] : {std::pair{start, 6.0}, std::pair{end, -6.0}}) {
        if (!time)
            continue;
        const double x = layout.axis.XOf(*time);
        if (x < layout.axis.left || x > layout.axis.right)
            continue;
        const double column = std::floor(x);
        glRectd(column - 1.0, 0.0, column + 1.0, height);
        glRectd(std::min(column, column + tick), height - 3.0, std::max(column, column + tick), height);
    }
}

std::optional<uint32_t> TimelineStrip::TimeAt(int32_t x, int32_t y) const
{
    if (!drawn)
        return std::nullopt;
    const int32_t top = windowHeight - layout.height;
    if (y < top || y >= windowHeight || x < layout.axis.left || x >= layout.width)
        return std::nullopt;
    // The middle of the pixel clicked.
    return layout.axis.TimeAt(x + 0.5);
}
