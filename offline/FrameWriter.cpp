#include "offline/FrameWriter.h"

#include <algorithm>
#include <cstring>

FrameWriter::FrameWriter(FrameSink& frameSink, int32_t outputWidth, int32_t outputHeight)
    : sink(frameSink), width(outputWidth), height(outputHeight), thread([this] { Run(); })
{
}

FrameWriter::~FrameWriter()
{
    std::string ignored;
    Finish(ignored);
}

void FrameWriter::Shape(const RawFrame& raw, int32_t outputWidth, int32_t outputHeight, RgbFrame& out)
{
    out.width = outputWidth;
    out.height = outputHeight;
    out.pixels.assign(size_t(outputWidth) * size_t(outputHeight) * 3, 0);
    const int32_t w = std::min(raw.width, outputWidth);
    const int32_t h = std::min(raw.height, outputHeight);
    const int32_t left = (outputWidth - w) / 2;
    const int32_t top = (outputHeight - h) / 2;
    for (int32_t row = 0; row < h; ++row) {
        // GL rows run from the bottom.
        const uint8_t* from = raw.rgba.data() + size_t(raw.height - 1 - row) * size_t(raw.width) * 4;
        uint8_t* to = out.pixels.data() + (size_t(top + row) * size_t(outputWidth) + size_t(left)) * 3;
        for (int32_t x = 0; x < w; ++x) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            from += 4;
            to += 3;
        }
    }
}

void FrameWriter::Submit(RawFrame& frame)
{
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return queue.size() < kMaxQueued || closing; });
    if (closing)
        return;
    queue.push_back(std::move(frame));
    frame = RawFrame{};
    if (!spare.empty()) {
        frame = std::move(spare.front());
        spare.pop_front();
    }
    changed.notify_all();
}

bool FrameWriter::Finish(std::string& error)
{
    {
        std::lock_guard lock(mutex);
        closing = true;
        changed.notify_all();
    }
    if (thread.joinable())
        thread.join();
    if (failed)
        error = failure;
    return !failed;
}

void FrameWriter::Run()
{
    RgbFrame shaped;
    for (;;) {
        RawFrame raw;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return !queue.empty() || closing; });
            if (queue.empty())
                return;
            raw = std::move(queue.front());
            queue.pop_front();
            changed.notify_all();
        }
        if (!failed) {
            Shape(raw, width, height, shaped);
            std::string error;
            for (int32_t i = 0; i < raw.repeats && !failed; ++i) {
                if (sink.WriteFrame(shaped, error)) {
                    ++written;
                } else {
                    std::lock_guard lock(mutex);
                    failure = error;
                    failed = true;
                }
            }
        }
        std::lock_guard lock(mutex);
        if (spare.size() < kMaxQueued)
            spare.push_back(std::move(raw));
    }
}
