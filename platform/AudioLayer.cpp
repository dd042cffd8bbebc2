#include "platform/AudioLayer.h"

#include "platform/FlacCheck.h"
#include "platform/MusicFormat.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

constexpr int kMaxStreams = 64;
constexpr uint64_t kBytesPerFrame = 4; // 16-bit stereo
// 1024 frames is about 23 ms at 44.1 kHz: short enough that positions follow
// the music closely, long enough not to starve on a busy machine.
constexpr int kMixBufferFrames = 1024;
constexpr uint32_t kMinRate = 8000;
constexpr uint32_t kMaxRate = 192000;
constexpr uint64_t kNoValue = ~uint64_t(0);
// The mixer channel that plays WAV streams.
constexpr int kSampleChannel = 0;
// WAV is held in memory, decoded: about 50 minutes at 44.1 kHz. A file with a
// very low sample rate would otherwise grow a hundredfold in decoding.
constexpr Sint64 kMaxWavFileBytes = Sint64(256) << 20;
constexpr uint64_t kMaxWavDecodedBytes = uint64_t(512) << 20;

// Compressed music streams through the mixer's music decoders. WAV is held
// decoded in memory (it is no larger in the file) and played on a mixer
// channel, because the mixer's WAV music seeks only to whole seconds.
struct Stream {
    uint32_t handle = 0; // 0: free slot
    Mix_Music* music = nullptr;
    Mix_Chunk* samples = nullptr; // WAV, converted to the device format
    Mix_Chunk* playingPart = nullptr; // the part of `samples` on the channel
    uint64_t length = kNoValue;
    uint64_t position = 0; // where it stands while it is not the current stream
    bool playing = false;  // only kept for streams that are not mixed (output off)
};

// The audio thread only counts what it mixes for the current stream and notes
// its end; everything else belongs to the main thread.
struct MixCounter {
    std::atomic<bool> counting{false};
    std::atomic<bool> ended{false};
    std::atomic<uint64_t> mixedBytes{0};
    std::atomic<uint64_t> lastMixLength{0};
};

struct Output {
    bool initialised = false;
    bool outputOff = false;
    uint32_t rate = 0;
    uint32_t nextHandle = 1;
    Stream streams[kMaxStreams];
    Stream* current = nullptr; // the stream the mixer plays
    uint64_t currentStart = 0; // its position when it started or moved
    std::chrono::steady_clock::time_point currentSince;
};

Output output;
MixCounter counter;
int lastError = kAudioOk;

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

uint32_t FailHandle(int code)
{
    lastError = code;
    return 0;
}

bool Succeed()
{
    lastError = kAudioOk;
    return true;
}

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

uint64_t FramesToBytes(double frames)
{
    return static_cast<uint64_t>(std::floor(frames)) * kBytesPerFrame;
}

double BytesToSeconds(uint64_t bytes)
{
    return static_cast<double>(bytes / kBytesPerFrame) / output.rate;
}

Stream* FindStream(uint32_t handle)
{
    if (handle == 0)
        return nullptr;
    for (Stream& stream : output.streams)
        if (stream.handle == handle)
            return &stream;
    return nullptr;
}

// The stream of a handle on an initialised device; otherwise null, with the
// code that says which of the two is missing.
Stream* UsableStream(uint32_t handle, int* code)
{
    if (!output.initialised) {
        *code = kAudioErrorNotInitialised;
        return nullptr;
    }
    Stream* stream = FindStream(handle);
    if (!stream)
        *code = kAudioErrorHandle;
    return stream;
}

Stream* FreeSlot()
{
    for (Stream& stream : output.streams)
        if (stream.handle == 0)
            return &stream;
    return nullptr;
}

// --- The stream on the mixer: one at a time.

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

// --- Device and decoding.

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

bool IsRegularFile(const char* path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

SDL_RWops* OpenSource(bool inMemory, const void* file, uint32_t length, int* code)
{
    SDL_RWops* source = nullptr;
    if (inMemory) {
        source = SDL_RWFromConstMem(file, static_cast<int>(length));
    } else if (IsRegularFile(static_cast<const char*>(file))) {
        source = SDL_RWFromFile(static_cast<const char*>(file), "rb");
    }
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

bool BASS_ChannelPlay(uint32_t handle, bool restart)
{
    int code = 0;
    Stream* stream = UsableStream(handle, &code);
    if (!stream)
        return Fail(code);
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
    int code = 0;
    Stream* stream = UsableStream(handle, &code);
    if (!stream)
        return Fail(code);
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
    int code = 0;
    Stream* stream = UsableStream(handle, &code);
    if (!stream)
        return Fail(code);
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

uint64_t AudioChannelPosition(uint32_t handle)
{
    int code = 0;
    Stream* stream = UsableStream(handle, &code);
    if (!stream)
        return FailBytes(code);
    SettleEndedStream();
    Succeed();
    return stream == output.current ? CurrentPosition() : stream->position;
}

double AudioChannelPositionSeconds(uint32_t handle)
{
    uint64_t bytes = AudioChannelPosition(handle);
    return bytes == kNoValue ? -1.0 : BytesToSeconds(bytes);
}

uint64_t AudioChannelLength(uint32_t handle)
{
    int code = 0;
    Stream* stream = UsableStream(handle, &code);
    if (!stream)
        return FailBytes(code);
    Succeed();
    return stream->length;
}

bool AudioChannelIsPlaying(uint32_t handle)
{
    int code = 0;
    Stream* stream = UsableStream(handle, &code);
    if (!stream)
        return Fail(code);
    SettleEndedStream();
    Succeed();
    return stream == output.current || stream->playing;
}

bool AudioStreamFree(uint32_t handle)
{
    int code = 0;
    Stream* stream = UsableStream(handle, &code);
    if (!stream)
        return Fail(code);
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
