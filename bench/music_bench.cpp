#include "platform/AudioLayer.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Four minutes, the length of a demo track, at CD rate.
constexpr double kTrackSeconds = 240;

fs::path Track(const char* name, int format)
{
    fs::path path = fs::temp_directory_path() / ("music_bench_" + std::string(name));
    if (fs::exists(path))
        return path;
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<short> block(2 * 4096);
    const long frames = static_cast<long>(kTrackSeconds * info.samplerate);
    for (long done = 0; done < frames; done += 4096) {
        for (int i = 0; i < 4096; ++i)
            block[2 * i] = block[2 * i + 1] = static_cast<short>(3000 * std::sin((done + i) * 0.0627));
        sf_writef_short(file, block.data(), 4096);
    }
    sf_close(file);
    return path;
}

// What opening the show's music costs at start-up: the WAV is decoded whole,
// the FLAC scanned once, the others only read as far as their headers.
void OpenStream(benchmark::State& state, const char* name, int format)
{
    fs::path path = Track(name, format);
    BASS_Init(0, 44100, 0, nullptr, nullptr);
    for (auto _ : state) {
        uint32_t handle = BASS_StreamCreateFile(false, path.c_str(), 0, 0, 0);
        if (handle == 0) {
            state.SkipWithError("stream did not open");
            break;
        }
        AudioStreamFree(handle);
    }
    BASS_Free();
}

} // namespace

BENCHMARK_CAPTURE(OpenStream, wav, "track.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenStream, ogg, "track.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenStream, flac, "track.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenStream, mp3, "track.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III)->Unit(benchmark::kMillisecond);
