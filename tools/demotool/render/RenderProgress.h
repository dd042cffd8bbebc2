#pragma once

#include <chrono>
#include <cstdint>

// One line, rewritten in place: frames done, frames per second, time left.
// Silent when standard output is not a terminal.
class RenderProgress {
public:
    explicit RenderProgress(int64_t totalFrames);
    void Update(int64_t framesDone);
    // Ends the line.
    void Done();

private:
    using Clock = std::chrono::steady_clock;

    int64_t total;
    int64_t done = 0;
    bool enabled;
    bool shown = false;
    Clock::time_point start;
    Clock::time_point lastShown;
};
