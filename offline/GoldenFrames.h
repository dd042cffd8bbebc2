#pragma once

#include "offline/OfflineShow.h"
#include "resources/PngDecoder.h"
#include "resources/PngEncoder.h"

#include <cstdint>
#include <span>
#include <string>

// Keeps the last frame it is given.
class KeepLastFrame final : public FrameSink {
public:
    bool WriteFrame(const RgbFrame& frame, std::string& error) override;
    RgbFrame frame;
    int64_t count = 0;
};

// The first frame at or after atMs of the show started at fromMs (as the
// script's "Goto" would start it) and fast-forwarded up to there. Reads
// data/ from the current directory.
bool RenderShowFrame(const OfflineSettings& settings, uint32_t fromMs, uint32_t atMs, RgbFrame& out,
                     std::string& error);

// Reference frames of the bundled show, one per part of it, each reached
// after a short lead-in so that pattern steps have had time to act. They
// change whenever an effect or the show's data changes on purpose.
struct GoldenFrame {
    const char* name; // the PNG file's name without ".png"
    uint32_t fromMs;
    uint32_t atMs;
};

constexpr int32_t kGoldenWidth = 320;
constexpr int32_t kGoldenHeight = 240;
constexpr int32_t kGoldenFramesPerSecond = 30;

std::span<const GoldenFrame> GoldenFrames();
OfflineSettings GoldenSettings();
bool RenderGoldenFrame(const GoldenFrame& golden, RgbFrame& out, std::string& error);

// How far a frame is from its reference of the same size (RGB rows): the
// largest difference of any channel, where it is, and how many pixels differ
// in some channel by more than channelTolerance.
struct FrameDifference {
    int64_t outliers = 0;
    int worst = 0;
    int32_t worstX = 0;
    int32_t worstY = 0;
};
FrameDifference CompareFrames(const RgbFrame& frame, const PngImage& reference, int channelTolerance);
