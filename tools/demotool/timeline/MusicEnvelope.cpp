#include "tools/demotool/timeline/MusicEnvelope.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

std::string DecoderError(const char* path)
{
    std::string reason = sf_strerror(nullptr);
    while (!reason.empty() && (reason.back() == '.' || reason.back() == ' '))
        reason.pop_back();
    return std::string("cannot decode ") + path + ": " + reason;
}

// Anything longer is no music the player would open; it bounds what a
// corrupt header can make us allocate.
constexpr double kLongestMusicSeconds = 6.0 * 3600.0;
constexpr int kMostChannels = 64;
constexpr sf_count_t kFramesPerRead = 4096;

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

} // namespace

bool MusicEnvelope::Decode(const char* path, std::string& error)
{
    peaks.clear();
    meanSquares.clear();
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> file(sf_open(path, SFM_READ, &info));
    if (!file) {
        error = DecoderError(path);
        return false;
    }
    if (info.channels < 1 || info.channels > kMostChannels || info.samplerate < 1) {
        error = std::string("cannot decode ") + path + ": unusual channel count or rate";
        return false;
    }
    // Samples per bucket in whole frames; a fraction left over is carried so
    // that long music does not drift against the script's clock.
    const double framesPerBucket = info.samplerate * (kMsPerBucket / 1000.0);
    const auto mostBuckets = size_t(kLongestMusicSeconds * 1000.0 / kMsPerBucket);
    std::vector<float> samples(size_t(kFramesPerRead) * size_t(info.channels));
    double bucketEnd = framesPerBucket;
    double frameIndex = 0;
    float peak = 0.0f;
    double squares = 0.0;
    int32_t counted = 0;
    sf_count_t read = 0;
    while ((read = sf_readf_float(file.get(), samples.data(), kFramesPerRead)) > 0) {
        for (sf_count_t f = 0; f < read; ++f) {
            for (int c = 0; c < info.channels; ++c) {
                const float sample = std::fabs(samples[size_t(f) * size_t(info.channels) + size_t(c)]);
                if (!std::isfinite(sample))
                    continue;
                peak = std::max(peak, sample);
                squares += double(sample) * sample;
                ++counted;
            }
            if (++frameIndex >= bucketEnd) {
                peaks.push_back(std::min(peak, 1.0f));
                meanSquares.push_back(counted ? float(squares / counted) : 0.0f);
                peak = 0.0f;
                squares = 0.0;
                counted = 0;
                bucketEnd += framesPerBucket;
                if (peaks.size() >= mostBuckets)
                    return true;
            }
        }
    }
    if (counted > 0) {
        peaks.push_back(std::min(peak, 1.0f));
        meanSquares.push_back(float(squares / counted));
    }
    if (peaks.empty()) {
        error = std::string("cannot decode ") + path + ": no samples";
        return false;
    }
    return true;
}

void MusicEnvelope::Measure(uint32_t from, uint32_t to, float& peak, float& rms) const
{
    peak = 0.0f;
    rms = 0.0f;
    const size_t first = from / kMsPerBucket;
    const size_t last = std::min(peaks.size(), size_t(std::max(to, from + 1) - 1) / kMsPerBucket + 1);
    if (first >= last)
        return;
    double squares = 0.0;
    for (size_t i = first; i < last; ++i) {
        peak = std::max(peak, peaks[i]);
        squares += meanSquares[i];
    }
    rms = std::min(1.0f, float(std::sqrt(squares / double(last - first))));
}
