// Arbitrary bytes as a timeline script, then playback by frame times taken
// from the input. Bytes up to the first 0xFF are the script; every four bytes
// after it are one frame's elapsed milliseconds (little-endian).
#include "demo/Timeline.h"
#include "demo/TimelineHost.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class QuietHost final : public TimelineHost {
public:
    bool LoadImage(ImageRegistry*, const std::string&, const std::string&, int32_t) override { return true; }
    bool LoadMusic(const std::string&) override { return true; }
    void SetMusicPosition(uint32_t) override {}
    void ReportFault(const char*, int32_t, const std::string&, const std::string&) override {}
};

constexpr size_t kMaxFrames = 512;
constexpr uint32_t kDefaultFrames[] = {0, 16, 17, 120, 1000, 250, 100000, 0xFFFFFFFFu, 1, 4000000000u};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto* separator = size ? static_cast<const uint8_t*>(std::memchr(data, 0xFF, size)) : nullptr;
    const size_t scriptSize = separator ? static_cast<size_t>(separator - data) : size;

    static QuietHost host;
    auto timeline = std::make_unique<Timeline>(host);
    timeline->LoadFromMemory(reinterpret_cast<const char*>(data), scriptSize, nullptr);
    timeline->Reset();

    auto frame = [&](uint32_t elapsed) {
        timeline->Advance(elapsed);
        if (timeline->PendingCount() < 0 || timeline->PendingCount() > Timeline::kMaxPendingSteps)
            std::abort();
        for (int32_t slot = 0; slot < 6; ++slot)
            timeline->Params(slot).flags[kPatternStepFlag] = 0;
        (void)timeline->IsFinished();
    };

    if (!separator) {
        for (uint32_t elapsed : kDefaultFrames)
            frame(elapsed);
        return 0;
    }
    size_t frames = 0;
    for (const uint8_t* p = separator + 1; p + 4 <= data + size && frames < kMaxFrames; p += 4, ++frames)
        frame(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
              static_cast<uint32_t>(p[3]) << 24);
    return 0;
}
