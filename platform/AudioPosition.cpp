// The one stream on the mixer at a time: starting, pausing and moving it,
// and where it stands.
#include "platform/AudioLayer.h"
#include "platform/AudioLayerState.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace audio {

namespace {

void HaltVoice(Stream& stream)
{
    if (stream.samples) {
        Mix_HaltChannel(kSampleChannel);
        if (stream.playingPart)
            Mix_FreeChunk(stream.playingPart);
        stream.playingPart = nullptr;
    } else {
        Mix_HaltMusic();
    }
}

bool VoiceIsPlaying(const Stream& stream)
{
    return stream.samples ? Mix_Playing(kSampleChannel) != 0 : Mix_PlayingMusic() != 0;
}

bool StartVoice(Stream& stream, uint64_t from)
{
    if (stream.samples) {
        Uint32 offset = static_cast<Uint32>(from);
        stream.playingPart = Mix_QuickLoad_RAW(stream.samples->abuf + offset, stream.samples->alen - offset);
        if (!stream.playingPart)
            return Fail(kAudioErrorMemory);
        if (Mix_PlayChannel(kSampleChannel, stream.playingPart, 0) < 0) {
            Mix_FreeChunk(stream.playingPart);
            stream.playingPart = nullptr;
            return Fail(kAudioErrorDecoder);
        }
        return Succeed();
    }
    if (Mix_PlayMusic(stream.music, 0) < 0)
        return Fail(kAudioErrorDecoder);
    if (from > 0 && Mix_SetMusicPosition(BytesToSeconds(from)) < 0) {
        Mix_HaltMusic();
        return Fail(kAudioErrorCannotSeek);
    }
    return Succeed();
}

bool SeekVoice(Stream& stream, uint64_t to)
{
    if (stream.samples) {
        HaltVoice(stream);
        return StartVoice(stream, to);
    }
    if (Mix_SetMusicPosition(BytesToSeconds(to)) < 0)
        return Fail(kAudioErrorCannotSeek);
    return Succeed();
}

// The current stream moves with the clock from where it started or moved:
// SDL's dummy driver, paced by a sleeping thread, falls behind real time on a
// busy machine, and a real device plays at its own steady rate anyway. The
// mixer only tells where the music really runs out, which for a file cut short
// comes before its stated length.
uint64_t ClockPosition()
{
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - output.currentSince;
    return output.currentStart + FramesToBytes(elapsed.count() * output.rate);
}

uint64_t CurrentEnd()
{
    uint64_t end = output.current->length;
    if (counter.ended.load()) {
        // The buffer in which the music ended is not counted; it held at
        // most one buffer of music.
        uint64_t mixed = counter.mixedBytes.load() + counter.lastMixLength.load();
        end = std::min(end, output.currentStart + mixed);
    }
    return end;
}

uint64_t CurrentPosition()
{
    return std::min(ClockPosition(), CurrentEnd());
}

void StartCounting(uint64_t from)
{
    output.currentStart = from;
    output.currentSince = std::chrono::steady_clock::now();
    counter.mixedBytes.store(0);
    counter.ended.store(false);
    counter.counting.store(true);
}

// Leaves the current stream standing where it has played to.
void DetachCurrent()
{
    if (!output.current)
        return;
    output.current->position = CurrentPosition();
    output.current->playing = false;
    counter.counting.store(false);
    output.current = nullptr;
}

bool StartMixing(Stream& stream, uint64_t from)
{
    StopCurrent();
    if (!StartVoice(stream, from))
        return false;
    output.current = &stream;
    StartCounting(from);
    return true;
}

bool MoveCurrent(uint64_t position)
{
    counter.counting.store(false);
    if (!SeekVoice(*output.current, position)) {
        counter.counting.store(true);
        return false;
    }
    StartCounting(position);
    return true;
}

} // namespace

// A stream that has played to its end is no longer current.
void SettleEndedStream()
{
    if (!output.current)
        return;
    // Also covers an end that came before the counter was reset for a new start.
    if (!VoiceIsPlaying(*output.current))
        counter.ended.store(true);
    if (ClockPosition() >= CurrentEnd()) {
        Stream& ended = *output.current;
        DetachCurrent();
        HaltVoice(ended);
    }
}

void StopCurrent()
{
    if (!output.current)
        return;
    Stream& stopped = *output.current;
    DetachCurrent();
    HaltVoice(stopped);
}

} // namespace audio

using namespace audio;

bool BASS_ChannelPlay(uint32_t handle, bool restart)
{
    Stream* stream = UsableStream(handle);
    if (!stream)
        return false;
    SettleEndedStream();

    if (output.outputOff) {
        if (restart)
            stream->position = 0;
        stream->playing = true;
        return Succeed();
    }
    if (stream == output.current && !restart)
        return Succeed();
    uint64_t from = restart ? 0 : stream->position;
    if (stream->length != kNoValue && from >= stream->length)
        from = 0; // a stream that ran out starts over, as if restarted
    return StartMixing(*stream, from);
}

bool BASS_ChannelPause(uint32_t handle)
{
    Stream* stream = UsableStream(handle);
    if (!stream)
        return false;
    SettleEndedStream();

    if (output.outputOff) {
        if (!stream->playing)
            return Fail(kAudioErrorNotPlaying);
        stream->playing = false;
        return Succeed();
    }
    if (stream != output.current)
        return Fail(kAudioErrorNotPlaying);
    StopCurrent();
    return Succeed();
}

uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, float seconds)
{
    if (!output.initialised)
        return FailBytes(kAudioErrorNotInitialised);
    if (!FindStream(handle))
        return FailBytes(kAudioErrorHandle);
    // Also refuses NaN; the upper bound keeps the byte count far from overflow.
    double frames = static_cast<double>(seconds) * output.rate;
    if (!(frames >= 0 && frames < 1e15))
        return FailBytes(kAudioErrorParameter);
    Succeed();
    return FramesToBytes(frames);
}

bool BASS_ChannelSetPosition(uint32_t handle, uint64_t position)
{
    Stream* stream = UsableStream(handle);
    if (!stream)
        return false;
    SettleEndedStream();
    position -= position % kBytesPerFrame;
    if (stream->length != kNoValue && position > stream->length)
        return Fail(kAudioErrorPosition);

    // At its very end a stream has played out, whatever the decoders make
    // of a seek there (WAV fails to start, OGG and FLAC refuse it).
    const bool atEnd = position == stream->length;
    if (stream == output.current && atEnd)
        StopCurrent();
    if (stream != output.current) {
        stream->position = position;
        stream->playing = stream->playing && !atEnd;
        return Succeed();
    }
    return MoveCurrent(position);
}

uint64_t AudioChannelPosition(uint32_t handle)
{
    Stream* stream = UsableStream(handle);
    if (!stream)
        return kNoValue;
    SettleEndedStream();
    Succeed();
    return stream == output.current ? CurrentPosition() : stream->position;
}

double AudioChannelPositionSeconds(uint32_t handle)
{
    uint64_t bytes = AudioChannelPosition(handle);
    return bytes == kNoValue ? -1.0 : BytesToSeconds(bytes);
}

bool AudioChannelIsPlaying(uint32_t handle)
{
    Stream* stream = UsableStream(handle);
    if (!stream)
        return false;
    SettleEndedStream();
    Succeed();
    return stream == output.current || stream->playing;
}
