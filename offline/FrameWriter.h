#pragma once

#include "offline/FrameReadback.h"
#include "resources/PngEncoder.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

// Where rendered frames go: a video encoder, numbered pictures, one picture.
// Called on the writer's own thread, one frame after the other.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // False (with a reason) stops the writing.
    virtual bool WriteFrame(const RgbFrame& frame, std::string& error) = 0;
};

// Puts read-back frames into their final shape (rows from the top, RGB,
// centred on black at the output size) and hands them to the sink on a thread
// of its own, so that conversion and encoding overlap drawing. A few frames
// may wait; Submit blocks while the queue is full.
class FrameWriter {
public:
    FrameWriter(FrameSink& sink, int32_t outputWidth, int32_t outputHeight);
    ~FrameWriter();

    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Takes the frame's pixels; frame comes back with a spare buffer.
    void Submit(RawFrame& frame);
    // Waits for every frame to be written; false with the sink's reason.
    bool Finish(std::string& error);
    bool Failed() const { return failed.load(); }
    // Frames handed to the sink so far, repeats counted.
    int64_t FramesWritten() const { return written.load(); }

    // The frame as the sink sees it; public for the tests.
    static void Shape(const RawFrame& raw, int32_t outputWidth, int32_t outputHeight, RgbFrame& out);

private:
    static constexpr size_t kMaxQueued = 3;

    void Run();

    FrameSink& sink;
    int32_t width;
    int32_t height;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<RawFrame> queue;
    std::deque<RawFrame> spare;
    bool closing = false;
    std::atomic<bool> failed{false};
    std::atomic<int64_t> written{0};
    std::string failure;
    std::thread thread;
};
