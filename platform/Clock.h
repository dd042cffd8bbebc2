#pragma once

#include <cstdint>

// The clocks and the sleep the show runs on. Tests and the offline renderer
// put their own source in place; the player uses the system's.
class ClockSource {
public:
    virtual ~ClockSource() = default;
    // Milliseconds, wrapping at 32 bits (frame time).
    virtual uint32_t TimeMs() = 0;
    // Milliseconds, wrapping at 32 bits (key auto-repeat).
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// Null puts the system clock back.
void SetClockSource(ClockSource* source);

uint32_t GetTimeMs();
uint32_t GetTickCount();
void Sleep(uint32_t milliseconds);
