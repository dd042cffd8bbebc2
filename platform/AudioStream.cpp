// Streams: opening music files through the decoders, their handles and
// their lengths.
#include "platform/AudioLayer.h"
#include "platform/AudioLayerState.h"

#include "platform/FileRead.h"
#include "platform/FlacCheck.h"
#include "platform/MusicFormat.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace audio {

namespace {

// WAV is held in memory, decoded: about 50 minutes at 44.1 kHz. A file with a
// very low sample rate would otherwise grow a hundredfold in decoding.
constexpr Sint64 kMaxWavFileBytes = Sint64(256) << 20;
constexpr uint64_t kMaxWavDecodedBytes = uint64_t(512) << 20;

uint32_t FailHandle(int code)
{
    Fail(code);
    return 0;
}

Stream* FreeSlot()
{
    for (Stream& stream : output.streams)
        if (stream.handle == 0)
            return &stream;
    return nullptr;
}

Mix_MusicType MixerType(MusicFormat format)
{
    switch (format) {
    case MusicFormat::Wav: return MUS_WAV;
    case MusicFormat::Ogg: return MUS_OGG;
    case MusicFormat::Opus: return MUS_OPUS;
    case MusicFormat::Flac: return MUS_FLAC;
    case MusicFormat::Mp3: return MUS_MP3;
    case MusicFormat::Unknown: break;
    }
    return MUS_NONE;
}

// A directory opens as a file on some systems; it is no music.
SDL_RWops* OpenMusicFile(const char* path)
{
    std::FILE* file = OpenFileForReading(path);
    if (file && !IsRegularFile(file)) {
        std::fclose(file);
        return nullptr;
    }
    SDL_RWops* source = file ? SDL_RWFromFP(file, SDL_TRUE) : nullptr;
    if (file && !source)
        std::fclose(file);
    return source;
}

SDL_RWops* OpenSource(bool inMemory, const void* file, uint32_t length, int* code)
{
    SDL_RWops* source = inMemory ? SDL_RWFromConstMem(file, static_cast<int>(length))
                                 : OpenMusicFile(static_cast<const char*>(file));
    *code = source ? kAudioOk : (inMemory ? kAudioErrorMemory : kAudioErrorFileOpen);
    return source;
}

MusicFormat ReadFormat(SDL_RWops* source)
{
    uint8_t head[kMusicFormatHeadSize];
    size_t got = SDL_RWread(source, head, 1, sizeof head);
    SDL_RWseek(source, 0, RW_SEEK_SET);
    return DetectMusicFormat(head, got);
}

int DecodeFailureCode()
{
    const char* message = SDL_GetError();
    bool outOfMemory = message && std::strstr(message, "Out of memory") != nullptr;
    return outOfMemory ? kAudioErrorMemory : kAudioErrorFileFormat;
}

// The WAV is decoded whole anyway; reading it first lets its chunk sizes be
// checked against what the file really holds.
bool DecodeWav(SDL_RWops* source, Stream& stream)
{
    Sint64 size = SDL_RWsize(source);
    if (size < 0 || size > kMaxWavFileBytes) {
        SDL_RWclose(source);
        return Fail(size < 0 ? kAudioErrorFileOpen : kAudioErrorMemory);
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    size_t got = SDL_RWread(source, bytes.data(), 1, bytes.size());
    SDL_RWclose(source);
    ClampWavChunkSizes(bytes.data(), got);
    uint64_t decodedBound = WavDecodedSizeBound(bytes.data(), got, output.rate);
    if (decodedBound > kMaxWavDecodedBytes)
        return Fail(kAudioErrorMemory);

    SDL_RWops* whole = SDL_RWFromConstMem(bytes.data(), static_cast<int>(got));
    if (!whole)
        return Fail(kAudioErrorMemory);
    stream.samples = Mix_LoadWAV_RW(whole, 0);
    SDL_RWclose(whole);
    if (!stream.samples)
        return Fail(DecodeFailureCode());
    stream.length = stream.samples->alen - stream.samples->alen % kBytesPerFrame;
    return true;
}

// Hands `source` to the decoder for `format`; either way it is closed after.
bool Decode(SDL_RWops* source, MusicFormat format, Stream& stream)
{
    SDL_ClearError();
    if (format == MusicFormat::Wav)
        return DecodeWav(source, stream);
    if (format == MusicFormat::Flac) {
        bool playable = FlacIsSafeForMixer(source);
        SDL_RWseek(source, 0, RW_SEEK_SET);
        if (!playable) {
            SDL_RWclose(source);
            return Fail(kAudioErrorFileFormat);
        }
    }
    stream.music = Mix_LoadMUSType_RW(source, MixerType(format), 1);
    if (!stream.music)
        return Fail(DecodeFailureCode());
    // A damaged header can state any duration; beyond 1e15 frames it is as
    // good as unknown.
    double frames = Mix_MusicDuration(stream.music) * output.rate;
    stream.length = frames >= 0 && frames < 1e15 ? FramesToBytes(frames) : kNoValue;
    return true;
}

uint32_t NewHandle()
{
    uint32_t handle = output.nextHandle++;
    if (output.nextHandle == 0)
        output.nextHandle = 1;
    return handle;
}

} // namespace

Stream* FindStream(uint32_t handle)
{
    if (handle == 0)
        return nullptr;
    for (Stream& stream : output.streams)
        if (stream.handle == handle)
            return &stream;
    return nullptr;
}

Stream* UsableStream(uint32_t handle)
{
    if (!output.initialised) {
        Fail(kAudioErrorNotInitialised);
        return nullptr;
    }
    Stream* stream = FindStream(handle);
    if (!stream)
        Fail(kAudioErrorHandle);
    return stream;
}

void ReleaseStream(Stream& stream)
{
    if (output.current == &stream)
        StopCurrent();
    if (stream.music)
        Mix_FreeMusic(stream.music);
    if (stream.samples)
        Mix_FreeChunk(stream.samples);
    stream = Stream{};
}

} // namespace audio

using namespace audio;

uint32_t BASS_StreamCreateFile(bool inMemory, const void* file, uint32_t offset,
                               uint32_t length, uint32_t flags)
{
    if (!output.initialised)
        return FailHandle(kAudioErrorNotInitialised);
    if (!file || offset != 0 || flags != 0 || (inMemory ? length == 0 : length != 0))
        return FailHandle(kAudioErrorParameter);
    Stream* slot = FreeSlot();
    if (!slot)
        return FailHandle(kAudioErrorMemory);

    int code = kAudioOk;
    SDL_RWops* source = OpenSource(inMemory, file, length, &code);
    if (!source)
        return FailHandle(code);
    MusicFormat format = ReadFormat(source);
    if (format == MusicFormat::Unknown) {
        SDL_RWclose(source);
        return FailHandle(kAudioErrorFileFormat);
    }
    if (!Decode(source, format, *slot)) {
        *slot = Stream{};
        return 0;
    }
    slot->handle = NewHandle();
    Succeed();
    return slot->handle;
}

uint64_t AudioChannelLength(uint32_t handle)
{
    Stream* stream = UsableStream(handle);
    if (!stream)
        return kNoValue;
    Succeed();
    return stream->length;
}

bool AudioStreamFree(uint32_t handle)
{
    Stream* stream = UsableStream(handle);
    if (!stream)
        return false;
    ReleaseStream(*stream);
    return Succeed();
}

bool AudioMusicFileLengthMs(const char* path, uint32_t* milliseconds)
{
    uint32_t handle = BASS_StreamCreateFile(false, path, 0, 0, 0);
    if (handle == 0)
        return false;
    uint64_t length = FindStream(handle)->length;
    AudioStreamFree(handle);
    if (length == kNoValue)
        return Fail(kAudioErrorNoLength);
    *milliseconds = static_cast<uint32_t>(length / kBytesPerFrame * 1000 / output.rate);
    return Succeed();
}
