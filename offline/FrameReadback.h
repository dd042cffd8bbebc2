#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <vector>

// A finished frame as read from the back buffer: RGBA rows from the bottom,
// shown `repeats` times in a row.
struct RawFrame {
    int32_t width = 0;
    int32_t height = 0;
    int32_t repeats = 1;
    std::vector<uint8_t> rgba;
};

// Reads finished frames back through two pixel buffer objects: the read of
// one frame is started when it is done and collected only after the next one
// has been drawn, so the copy overlaps drawing. Without pixel buffer objects
// it reads at once. A multisampled back buffer is resolved into a plain copy
// first: reading it directly gives one sample per pixel on some drivers (Mesa's
// llvmpipe), the edges as jagged as without multisampling. Needs the context
// current from Init to destruction.
class FrameReadback {
public:
    FrameReadback() = default;
    ~FrameReadback();

    FrameReadback(const FrameReadback&) = delete;
    FrameReadback& operator=(const FrameReadback&) = delete;

    void Init();
    // Starts reading the width by height region at the lower left.
    void Start(int32_t width, int32_t height);
    // Adds showings to the frame started last; false when none is pending.
    bool AddRepeats(int32_t count);
    // True when a second read is pending, so the older one should be taken.
    bool Full() const { return pendingCount == kSlots; }
    bool HasPending() const { return pendingCount > 0; }
    // Moves the oldest pending frame into out (its buffer is reused).
    bool TakeOldest(RawFrame& out);

private:
    static constexpr int kSlots = 2;

    struct Slot {
        GLuint buffer = 0;
        int32_t width = 0;
        int32_t height = 0;
        int32_t repeats = 0;
        std::vector<uint8_t> direct; // the pixels when there is no buffer
    };

    void Resolve(int32_t width, int32_t height);

    bool havePixelBuffers = false;
    bool resolving = false;
    GLuint resolveFramebuffer = 0;
    GLuint resolveColour = 0;
    int32_t resolveWidth = 0;
    int32_t resolveHeight = 0;
    Slot slots[kSlots];
    int32_t oldest = 0;
    int32_t pendingCount = 0;
};
