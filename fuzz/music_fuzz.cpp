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
