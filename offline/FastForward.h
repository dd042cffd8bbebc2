#pragma once

#include <cstdint>
#include <functional>

class Timeline;

// A show that moves on one frame at a time on a render's frame grid: what a
// fast-forward plays.
class FrameStepper {
public:
    virtual ~FrameStepper() = default;

    virtual Timeline& StepperTimeline() = 0;
    // The timeline times that the next frame, and the one after it, show.
    virtual uint32_t NextFrameTime() const = 0;
    virtual uint32_t FrameTimeAfterNext() const = 0;
    // Plays the next frame as a whole play would; quiet, it draws no pixel
    // (RenderHelper::SetQuiet). False once the frame reached the script's end,
    // or the show failed.
    virtual bool PlayFrame(bool quiet) = 0;
};

enum class FastForwardEnd {
    Landed,     // the next frame is the first at or after the target
    Paused,     // goOn said stop: call again to go on
    ShowEnded,  // the script ended before the target
};

// Plays every frame before the target, so that the next frame drawn is the one
// a whole drawn play shows there, whatever the script: the next frame of the
// grid, or one cut short to land on the target itself (the preview's landing).
// Frames are quiet unless a later frame can still see their pixels. `goOn` is
// asked after every frame; false pauses, so that a window can answer, and the
// next call goes on.
FastForwardEnd FastForward(FrameStepper& show, uint32_t target, const std::function<bool()>& goOn = nullptr);

// Whether the next frame may be played quiet: only the glow begin (scene 0)
// clears colour and depth, at the start of each pass, so a frame's pixels are
// gone unseen when the scene runs in the frame after it. Runs for sure when it
// runs now and no event on its running flag is due by `followingFrameTime`,
// the time of the frame after the next on the grid; a frame cut short comes
// no later.
bool NextFrameCanBeQuiet(Timeline& timeline, uint32_t followingFrameTime);
