// The output device: opening and closing it, the result code of the last
// call, and what the audio thread reports about the mixing.
#include "platform/AudioLayer.h"
#include "platform/AudioLayerState.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstring>

namespace audio {

Output output;
MixCounter counter;

namespace {

// 1024 frames is about 23 ms at 44.1 kHz: short enough that positions follow
// the music closely, long enough not to starve on a busy machine.
constexpr int kMixBufferFrames = 1024;
constexpr uint32_t kMinRate = 8000;
constexpr uint32_t kMaxRate = 192000;

int lastError = kAudioOk;

void SDLCALL CountMixedBytes(void*, Uint8*, int length)
{
    counter.lastMixLength.store(static_cast<uint64_t>(length));
    if (counter.counting.load() && !counter.ended.load())
        counter.mixedBytes.fetch_add(static_cast<uint64_t>(length));
}

void SDLCALL NoteMusicEnded()
{
    counter.ended.store(true);
}

void SDLCALL NoteChannelEnded(int channel)
{
    if (channel == kSampleChannel)
        counter.ended.store(true);
}

bool OpenMixer(uint32_t rate, bool silent)
{
    if (silent)
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    bool subsystemUp = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (silent)
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (!subsystemUp)
        return false;
    // No changes allowed: SDL converts to whatever the hardware wants, so the
    // mixer always works in 16-bit stereo at the rate asked for.
    if (Mix_OpenAudioDevice(static_cast<int>(rate), AUDIO_S16SYS, 2, kMixBufferFrames, nullptr, 0) < 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    // Someone else started SDL audio on a real driver before us: stay silent
    // all the same.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (silent && (!driver || std::strcmp(driver, "dummy") != 0)) {
        Mix_VolumeMusic(0);
        Mix_Volume(-1, 0);
    }
    return true;
}

} // namespace

bool Fail(int code)
{
    lastError = code;
    return false;
}

uint64_t FailBytes(int code)
{
    lastError = code;
    return kNoValue;
}

bool Succeed()
{
    lastError = kAudioOk;
    return true;
}

uint64_t FramesToBytes(double frames)
{
    return static_cast<uint64_t>(std::floor(frames)) * kBytesPerFrame;
}

double BytesToSeconds(uint64_t bytes)
{
    return static_cast<double>(bytes / kBytesPerFrame) / output.rate;
}

} // namespace audio

using namespace audio;

bool BASS_Init(int device, uint32_t rate, uint32_t, void*, const void*)
{
    if (output.initialised)
        return Fail(kAudioErrorAlreadyInitialised);
    if (device != 0 && device != 1)
        return Fail(kAudioErrorDevice);
    if (rate < kMinRate || rate > kMaxRate)
        return Fail(kAudioErrorOutputFormat);
    bool silent = device == 0 || output.outputOff;
    if (!OpenMixer(rate, silent))
        return Fail(kAudioErrorDriver);
    Mix_Init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC | MIX_INIT_OPUS);
    Mix_SetPostMix(CountMixedBytes, nullptr);
    Mix_HookMusicFinished(NoteMusicEnded);
    Mix_ChannelFinished(NoteChannelEnded);
    output.initialised = true;
    output.rate = rate;
    return Succeed();
}

int BASS_ErrorGetCode()
{
    return lastError;
}

bool BASS_Free()
{
    if (!output.initialised)
        return Fail(kAudioErrorNotInitialised);
    StopCurrent();
    for (Stream& stream : output.streams)
        ReleaseStream(stream);
    Mix_ChannelFinished(nullptr);
    Mix_HookMusicFinished(nullptr);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    output.initialised = false;
    output.rate = 0;
    return Succeed();
}

void AudioSetOutputOff(bool off)
{
    output.outputOff = off;
}

bool AudioIsOutputOff()
{
    return output.outputOff;
}

uint32_t AudioDeviceRate()
{
    return output.rate;
}
