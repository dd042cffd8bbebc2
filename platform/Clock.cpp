#include "platform/Clock.h"

#include <SDL.h>

namespace {

class SystemClock final : public ClockSource {
public:
    uint32_t TimeMs() override { return Uint32(SDL_GetTicks64()); }
    uint32_t TickCount() override { return Uint32(SDL_GetTicks64()); }
    void Sleep(uint32_t milliseconds) override { SDL_Delay(milliseconds); }
};

SystemClock g_systemClock;
ClockSource* g_source = &g_systemClock;

} // namespace

void SetClockSource(ClockSource* source)
{
    g_source = source ? source : &g_systemClock;
}

uint32_t GetTimeMs()
{
    return g_source->TimeMs();
}

uint32_t GetTickCount()
{
    return g_source->TickCount();
}

void Sleep(uint32_t milliseconds)
{
    g_source->Sleep(milliseconds);
}
