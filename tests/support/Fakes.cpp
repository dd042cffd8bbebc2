#include "tests/support/Fakes.h"

ManualClock::ManualClock(uint32_t start)
    : now(start)
{
    SetClockSource(this);
}

ManualClock::~ManualClock()
{
    SetClockSource(nullptr);
}

void ManualClock::Sleep(uint32_t milliseconds)
{
    sleeps.push_back(milliseconds);
    now += milliseconds;
}

RecordingMessageBoxes::RecordingMessageBoxes(int fixedAnswer)
    : answer(fixedAnswer)
{
    SetMessageBoxSink(this);
}

RecordingMessageBoxes::~RecordingMessageBoxes()
{
    SetMessageBoxSink(nullptr);
}

int RecordingMessageBoxes::Show(const char* text, const char* caption, unsigned style)
{
    boxes.push_back({text, caption, style});
    return answer;
}
