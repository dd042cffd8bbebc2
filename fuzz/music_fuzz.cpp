#include "platform/AudioLayer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

bool OpenSilentDeviceUntilExit()
{
    if (!BASS_Init(0, 44100, 0, nullptr, nullptr))
        return false;
    std::atexit([] { BASS_Free(); });
    return true;
}

} // namespace

// SDL_mixer's FLAC loader leaves its converter behind when a file fails after
// its stream info was read. Full stacks let the suppression name that path and
// nothing else.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:FLAC__stream_decoder_process_until_end_of_metadata\n";
}

// Opens the bytes as an in-memory music stream on the silent device, moves it
// and starts it. Whatever the bytes, the layer must refuse them with a code or
// hand back a stream that behaves.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool deviceReady = OpenSilentDeviceUntilExit();
    if (!deviceReady || size == 0 || size > (1u << 20))
        return 0;

    std::vector<uint8_t> bytes(data, data + size);
    uint32_t handle = BASS_StreamCreateFile(true, bytes.data(), 0, static_cast<uint32_t>(size), 0);
    if (handle == 0) {
        int code = BASS_ErrorGetCode();
        if (code != kAudioErrorFileFormat && code != kAudioErrorMemory)
            __builtin_trap();
        return 0;
    }
    uint64_t length = AudioChannelLength(handle);
    if (length != ~uint64_t(0))
        BASS_ChannelSetPosition(handle, length / 2);
    BASS_ChannelPlay(handle, false);
    AudioChannelPosition(handle);
    AudioStreamFree(handle);
    return 0;
}
