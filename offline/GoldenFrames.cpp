#include "offline/GoldenFrames.h"

#include "demo/Timeline.h"

#include <algorithm>
#include <cstdlib>

namespace {

// One position of the show is 1920 ms; each frame gets two beats of lead-in.
constexpr uint32_t kPosition = 1920;
constexpr uint32_t kLeadIn = 960;

constexpr uint32_t At(uint32_t position, uint32_t beat)
{
    return position * kPosition + beat * (kPosition / 4);
}

constexpr GoldenFrame kGolden[] = {
    {"01-intro-logo-frame", At(3, 0) - kLeadIn, At(3, 0)},
    {"02-heart-frame", At(13, 0) - kLeadIn, At(13, 0)},
    {"03-heart-monitor", At(17, 1) - kLeadIn, At(17, 1)},
    {"04-melody-words", At(25, 2) - kLeadIn, At(25, 2)},
    {"05-break-logo-behind", At(33, 0) - kLeadIn, At(33, 0)},
    {"06-rise-letterbox", At(41, 2) - kLeadIn, At(41, 2)},
    {"07-drop-monitor", At(50, 1) - kLeadIn, At(50, 1)},
    {"08-closing-card", At(77, 0) - kLeadIn, At(77, 0)},
};

} // namespace

bool KeepLastFrame::WriteFrame(const RgbFrame& given, std::string&)
{
    frame = given;
    ++count;
    return true;
}

bool RenderShowFrame(const OfflineSettings& settings, uint32_t fromMs, uint32_t atMs, RgbFrame& out,
                     std::string& error)
{
    if (atMs < fromMs) {
        error = "the frame lies before the start of the render";
        return false;
    }
    KeepLastFrame keep;
    OfflineShow show(settings, &keep);
    if (!show.Open(error))
        return false;
    show.StartAt(fromMs);
    if (!show.FastForwardTo(atMs)) {
        error = "the show ends before that time";
        return false;
    }
    show.RenderFrame(true);
    if (!show.Finish(error))
        return false;
    if (keep.count != 1) {
        error = "the frame was not read back";
        return false;
    }
    out = std::move(keep.frame);
    return true;
}

std::span<const GoldenFrame> GoldenFrames()
{
    return kGolden;
}

OfflineSettings GoldenSettings()
{
    OfflineSettings settings;
    settings.width = kGoldenWidth;
    settings.height = kGoldenHeight;
    settings.framesPerSecond = kGoldenFramesPerSecond;
    return settings;
}

bool RenderGoldenFrame(const GoldenFrame& golden, RgbFrame& out, std::string& error)
{
    return RenderShowFrame(GoldenSettings(), golden.fromMs, golden.atMs, out, error);
}

FrameDifference CompareFrames(const RgbFrame& frame, const PngImage& reference, int channelTolerance)
{
    FrameDifference result;
    for (int32_t y = 0; y < frame.height; ++y) {
        const uint8_t* want = reference.Row(uint32_t(y));
        const uint8_t* got = frame.pixels.data() + size_t(y) * size_t(frame.width) * 3;
        for (int32_t x = 0; x < frame.width * 3; x += 3) {
            int pixelWorst = 0;
            for (int c = 0; c < 3; ++c)
                pixelWorst = std::max(pixelWorst, std::abs(int(got[x + c]) - int(want[x + c])));
            if (pixelWorst > channelTolerance)
                ++result.outliers;
            if (pixelWorst > result.worst) {
                result.worst = pixelWorst;
                result.worstX = x / 3;
                result.worstY = y;
            }
        }
    }
    return result;
}
