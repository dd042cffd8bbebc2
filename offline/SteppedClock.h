#pragma once

#include "platform/Clock.h"

#include <cstdint>

// A clock that moves only when told, one frame at a time, in whole
// milliseconds whose sum follows the exact frame times (16, 17, 17 at 60
// frames per second), so a render never drifts from the music. Sleeps take
// no real time: they move the clock and are counted.
class SteppedClock final : public ClockSource {
public:
    explicit SteppedClock(int32_t framesPerSecond);

    uint32_t TimeMs() override { return now; }
    uint32_t TickCount() override { return now; }
    void Sleep(uint32_t milliseconds) override;

    // Frames are counted from here; the first frame after it has no elapsed
    // time, so it shows the start time itself.
    void StartFrames();
    // Moves the clock to the start of the next frame.
    void NextFrame();
    // The milliseconds the next NextFrame will add.
    uint32_t NextFrameLength() const { return FramesLength(1); }
    // The milliseconds that many NextFrames will add.
    uint32_t FramesLength(int64_t count) const;
    int32_t FramesPerSecond() const { return fps; }

    // Milliseconds slept since the last call, then zero.
    uint32_t TakeSleptMs();

    // Where frame number `frame` starts, in milliseconds after frame 0.
    static uint32_t FrameStart(int64_t frame, int32_t fps);

private:
    int32_t fps;
    uint32_t now = 0;
    int64_t frame = 0;
    uint32_t slept = 0;
};
