#pragma once

#include "platform/Clock.h"
#include "platform/MessageBox.h"

#include <cstdint>
#include <string>
#include <vector>

// A clock that moves only when the test says so. Sleeping advances it.
// Installs itself for its lifetime.
class ManualClock final : public ClockSource {
public:
    explicit ManualClock(uint32_t start = 0);
    ~ManualClock() override;

    uint32_t TimeMs() override { return now; }
    uint32_t TickCount() override { return now; }
    void Sleep(uint32_t milliseconds) override;

    void Advance(uint32_t milliseconds) { now += milliseconds; }
    void Set(uint32_t milliseconds) { now = milliseconds; }

    uint32_t now;
    std::vector<uint32_t> sleeps;
};

// Records every message box instead of showing it and answers with a fixed
// result. Installs itself for its lifetime.
class RecordingMessageBoxes final : public MessageBoxSink {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned style;
    };

    explicit RecordingMessageBoxes(int answer = IDOK);
    ~RecordingMessageBoxes() override;

    int Show(const char* text, const char* caption, unsigned style) override;

    std::vector<Box> boxes;
    int answer;
};
