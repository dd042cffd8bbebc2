#pragma once

#include "tools/demotool/timeline/TimelineLanes.h"
#include "tools/demotool/timeline/TimelinePainter.h"

#include <cstdint>
#include <optional>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

// The script's lanes as a band along the bottom of a window, over a running
// show: sixteen positions around the playhead, turning a page every eight so
// the band is painted again only then (with cairo, into memory) and uploaded
// into a texture of its own; every frame costs one textured quad and the
// playhead line. Drawing saves and restores all the GL state it touches, and
// draws nothing above the band. Slots start folded, their parameter tracks
// drawn in their one lane, so the band stays thin; the author unfolds the
// ones to look at.
class TimelineStrip {
public:
    static constexpr int32_t kPositionsShown = 16;
    static constexpr int32_t kPositionsPerPage = 8;

    TimelineStrip() = default;
    // Deletes its texture: the context it drew in must be current.
    ~TimelineStrip();

    TimelineStrip(const TimelineStrip&) = delete;
    TimelineStrip& operator=(const TimelineStrip&) = delete;

    // New lanes, such as a reloaded script's; the next Draw shows them.
    void SetLanes(TimelineLanes newLanes);
    const TimelineLanes& Lanes() const { return lanes; }

    // The band's height in a window of that height.
    static int32_t HeightFor(int32_t windowHeight);
    // The stretch of show time shown while the playhead is at `playhead`.
    static TimeSpan WindowAround(uint32_t playhead, double msPerPosition);

    // Draws the band into the bottom rows of a window of that size.
    void Draw(int32_t windowWidth, int32_t windowHeight, uint32_t playhead);
    // Unfolds the tracks of the slot under a window pixel, or folds them when
    // they are open; off the band's slots, the heart's. Shown from the next Draw.
    void ToggleTracksAt(int32_t x, int32_t y);
    const std::vector<int32_t>& Unfolded() const { return unfolded; }

    // The loop's ends over the band as last drawn, as orange columns: the
    // start's with a tick to the right at the top, the end's to the left.
    void DrawLoopMarks(std::optional<uint32_t> start, std::optional<uint32_t> end) const;
    // The show time under a window pixel (x right, y down from the top, as
    // mouse events give them) on the band's lanes as last drawn; nothing
    // off the band or on its names.
    std::optional<uint32_t> TimeAt(int32_t x, int32_t y) const;

private:
    void Repaint(int32_t width, int32_t height, TimeSpan shown);

    TimelineLanes lanes;
    std::vector<int32_t> unfolded; // slots
    TimelineLayout layout{};
    int32_t windowHeight = 0;
    bool stale = true;
    bool drawn = false;
    TimeSpan painted{0, 0};
    unsigned texture = 0;
};
