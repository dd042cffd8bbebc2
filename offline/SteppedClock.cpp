#include "offline/SteppedClock.h"

SteppedClock::SteppedClock(int32_t framesPerSecond)
    : fps(framesPerSecond > 0 ? framesPerSecond : 1)
{
}

void SteppedClock::Sleep(uint32_t milliseconds)
{
    now += milliseconds;
    slept += milliseconds;
}

void SteppedClock::StartFrames()
{
    frame = 0;
}

uint32_t SteppedClock::FrameStart(int64_t index, int32_t framesPerSecond)
{
    return uint32_t(index * 1000 / framesPerSecond);
}

void SteppedClock::NextFrame()
{
    now += NextFrameLength();
    ++frame;
}

uint32_t SteppedClock::FramesLength(int64_t count) const
{
    return FrameStart(frame + count, fps) - FrameStart(frame, fps);
}

uint32_t SteppedClock::TakeSleptMs()
{
    const uint32_t result = slept;
    slept = 0;
    return result;
}
