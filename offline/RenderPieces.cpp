#include "offline/RenderPieces.h"

#include "offline/SteppedClock.h"

#include <algorithm>

namespace {

uint32_t FrameTime(const RenderRange& range, int64_t frame, int32_t fps)
{
    return range.start + SteppedClock::FrameStart(frame, fps);
}

// Frame starts are whole milliseconds rounded down, so frame i lies at or
// after ms exactly when i * 1000 / fps reaches ms - start.
int64_t FirstFrameAtOrAfter(const RenderRange& range, uint32_t ms, int32_t fps)
{
    if (ms <= range.start)
        return 0;
    const int64_t after = int64_t(ms - range.start);
    return (after * fps + 999) / 1000;
}

int64_t EndFrame(const RenderRange& range, int32_t fps, uint32_t showEnd)
{
    const int64_t beforeTo = FirstFrameAtOrAfter(range, range.to, fps);
    // The frame that reaches the end is drawn, and none after it.
    return std::min(beforeTo, FirstFrameAtOrAfter(range, showEnd, fps) + 1);
}

} // namespace

uint32_t FirstFrameTime(const RenderRange& range, int32_t fps)
{
    return FrameTime(range, FirstFrameAtOrAfter(range, range.from, fps), fps);
}

int64_t FrameCount(const RenderRange& range, int32_t fps, uint32_t showEnd)
{
    return std::max<int64_t>(0, EndFrame(range, fps, showEnd) - FirstFrameAtOrAfter(range, range.from, fps));
}

std::vector<RenderRange> SplitRange(const RenderRange& range, int32_t fps, uint32_t showEnd, int32_t count,
                                    std::vector<int32_t>* places)
{
    const int64_t first = FirstFrameAtOrAfter(range, range.from, fps);
    const int64_t frames = FrameCount(range, fps, showEnd);
    std::vector<RenderRange> pieces;
    for (int32_t k = 0; k < count; ++k) {
        const int64_t begin = first + frames * k / count;
        const int64_t end = first + frames * (k + 1) / count;
        if (end == begin)
            continue;
        RenderRange piece = range;
        piece.to = k + 1 == count ? range.to : FrameTime(range, end, fps);
        // A render refuses a --from at or after the show's end, where only the
        // frame that reaches the end can lie: that frame ends the piece before.
        if (!pieces.empty() && FrameTime(range, begin, fps) >= showEnd) {
            pieces.back().to = piece.to;
            continue;
        }
        if (!pieces.empty())
            piece.from = FrameTime(range, begin, fps);
        pieces.push_back(piece);
        if (places)
            places->push_back(k);
    }
    return pieces;
}
