#pragma once

#include <cstdint>

// What the main loop drives: start-up, one frame at a time, shut-down.
class DemoBase {
public:
    // 0 on success, nonzero on failure.
    virtual int32_t Init() = 0;
    // 0 continue, 1 runtime error, 2 timeline finished, 3 stop.
    virtual int32_t Frame() = 0;
    // 0 on success, nonzero on failure.
    virtual int32_t Uninit() = 0;

protected:
    ~DemoBase() = default;
};
