// The golden frames drawn in the browser: the offline show's stepped clock and
// fixed size, on WebGL through the layer, compared with the desktop's
// references (preloaded at /golden). The page calls main with a frame's index
// (and, to see that a wrong picture fails, another frame's reference index)
// and is told the result; the frame drawn is left in /frame.png.
#include "offline/FrameWriter.h"
#include "offline/GoldenFrames.h"
#include "resources/PngDecoder.h"

#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// The desktop's margin for another renderer's rounding, with many more pixels
// let through: SwiftShader rasterises the heart's wireframe (drawn as lines
// here, as polygon edges there) a little differently from llvmpipe, and in
// the 16 by 16 glow pass a pixel of difference becomes a blob of glow. About
// 6% of the pixels differ that way; a heart drawn without its sphere map or
// with a wrong camera makes 16% and more.
constexpr int kChannelTolerance = 8;
constexpr double kMaxOutlierShare = 0.08;

void Report(const char* name, int worst, double share, const std::string& error)
{
    EM_ASM({ Module.onGolden(UTF8ToString($0), $1, $2, UTF8ToString($3)); }, name, worst, share, error.c_str());
}

bool Render(const GoldenFrame& golden, RgbFrame& frame, std::string& error)
{
    const OfflineSettings settings = GoldenSettings();
    OfflineShow show(settings, nullptr);
    if (!show.Open(error))
        return false;
    show.StartAt(golden.fromMs);
    if (!show.FastForwardTo(golden.atMs)) {
        error = "the show ends before that time";
        return false;
    }
    show.RenderFrame(false);
    // Read before control returns to the browser, which clears the buffer.
    RawFrame raw;
    raw.width = settings.width;
    raw.height = settings.height;
    raw.rgba.resize(size_t(raw.width) * size_t(raw.height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, raw.width, raw.height, GL_RGBA, GL_UNSIGNED_BYTE, raw.rgba.data());
    FrameWriter::Shape(raw, settings.width, settings.height, frame);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int index = argc > 1 ? std::atoi(argv[1]) : -1;
    if (index < 0 || size_t(index) >= GoldenFrames().size()) {
        Report("", 0, 0.0, "no golden frame of that index");
        return 1;
    }
    const GoldenFrame& golden = GoldenFrames()[size_t(index)];
    const int referenceIndex = argc > 2 ? std::atoi(argv[2]) : index;
    if (referenceIndex < 0 || size_t(referenceIndex) >= GoldenFrames().size()) {
        Report("", 0, 0.0, "no golden frame of that index");
        return 1;
    }
    const char* referenceName = GoldenFrames()[size_t(referenceIndex)].name;
    // The offline show asks SDL for its offscreen driver; the browser has
    // only its own, which draws the same way into the page's canvas.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "emscripten", SDL_HINT_OVERRIDE);
    RgbFrame frame;
    PngImage reference;
    std::string error;
    PngDecodeOptions options;
    options.keepAlpha = false;
    if (!Render(golden, frame, error) ||
        !DecodePngFile((std::string("/golden/") + referenceName + ".png").c_str(), options, reference, error)) {
        Report(golden.name, 0, 0.0, error);
        return 1;
    }
    WritePngRgb("/frame.png", frame, error);
    if (int32_t(reference.width) != frame.width || int32_t(reference.height) != frame.height ||
        reference.channels != 3) {
        Report(golden.name, 0, 0.0, "the reference is not of the frame's size");
        return 1;
    }
    const FrameDifference difference = CompareFrames(frame, reference, kChannelTolerance);
    const double share = double(difference.outliers) / (double(frame.width) * frame.height);
    Report(golden.name, difference.worst, share,
           share <= kMaxOutlierShare ? "" : "more than " + std::to_string(kMaxOutlierShare * 100) +
                                                "% of the pixels differ by more than " +
                                                std::to_string(kChannelTolerance));
    return 0;
}
