#pragma once

#include <cstdint>

// Our own small audio library over SDL2_mixer, shaped after the calls the music
// player was written against: one output device, music files opened as
// streams, byte positions in 16-bit stereo PCM at the device rate.
//
// Every call records a result code that BASS_ErrorGetCode returns until the
// next call (0 after a success). Main thread only; the mixing runs on SDL's
// audio thread.
//
// Devices: 1 is the system's default output; 0 plays silently in real time on
// SDL's dummy driver, for machines without sound.
//
// SDL_mixer plays one music at a time: starting a stream stops the one that
// was playing (its position is kept). Streams stay open until BASS_Free (or
// AudioStreamFree).

// Result codes.
enum AudioErrorCode : int {
    kAudioOk = 0,
    kAudioErrorMemory = 1,         // out of memory, or no free stream slot
    kAudioErrorFileOpen = 2,       // missing, unreadable or not a regular file
    kAudioErrorDriver = 3,         // the output device could not be opened
    kAudioErrorOutputFormat = 6,   // output rate outside what the layer mixes
    kAudioErrorNotInitialised = 8,
    kAudioErrorNotPlaying = 24,    // pausing a stream that is not playing
    kAudioErrorFileFormat = 41,    // not a music file the decoders accept
    kAudioErrorHandle = 101,       // no open stream has this handle
    kAudioErrorPosition = 102,     // beyond the end of the stream
    kAudioErrorAlreadyInitialised = 103,
    kAudioErrorParameter = 104,
    kAudioErrorDevice = 105,       // device number other than 0 or 1
    kAudioErrorCannotSeek = 106,   // the decoder refused the seek
    kAudioErrorDecoder = 107,      // the decoder failed to start playing
    kAudioErrorNoLength = 108,     // the decoder cannot tell the length
};

// Opens the output at `rate` Hz (8000 to 192000). `flags`, `window` and
// `deviceId` are accepted for the caller's convenience and not used.
bool BASS_Init(int device, uint32_t rate, uint32_t flags, void* window, const void* deviceId);

// Opens a music file as a stream that plays once. With `inMemory` false,
// `file` is a zero-terminated path and `length` must be 0 (the whole file).
// With `inMemory` true, `file` points at `length` bytes of music that must stay
// valid until BASS_Free. `offset` and `flags` must be 0. Returns the handle, 0
// on failure.
uint32_t BASS_StreamCreateFile(bool inMemory, const void* file, uint32_t offset,
                               uint32_t length, uint32_t flags);

// Starts the stream, from the beginning when `restart` is set, else from its
// current position.
bool BASS_ChannelPlay(uint32_t handle, bool restart);

// Stops the stream where it stands; BASS_ChannelPlay without `restart` goes
// on from there. Fails when the stream is not playing.
bool BASS_ChannelPause(uint32_t handle);

// Whole sample frames in `seconds`, as bytes. ~0 on failure.
uint64_t BASS_ChannelSeconds2Bytes(uint32_t handle, float seconds);

// Moves the stream to a byte position (rounded down to a whole frame), playing
// or not. Fails beyond the end; at exactly the end the stream has played out
// and stops there.
bool BASS_ChannelSetPosition(uint32_t handle, uint64_t position);

int BASS_ErrorGetCode();

// Stops the output and releases the device and every stream.
bool BASS_Free();

// --- Beyond the calls above: queries for tests and tools, and the switch for
// the offline renderer.

// With `off` set before BASS_Init, the layer opens no sound output at all:
// SDL's dummy driver is opened instead (any device number succeeds), streams
// open and report their length, positions can be set and read back, but
// playing only marks the stream; nothing is decoded and the position does not
// move by itself.
void AudioSetOutputOff(bool off);
bool AudioIsOutputOff();

// The device rate in Hz, 0 before BASS_Init.
uint32_t AudioDeviceRate();

// Bytes from the start of the stream that have been played: while playing,
// the time since the stream started or moved, up to where its music ends.
// ~0 on failure.
uint64_t AudioChannelPosition(uint32_t handle);
// The same in seconds; negative on failure.
double AudioChannelPositionSeconds(uint32_t handle);
// The decoded length of the stream in bytes; ~0 on failure or when the decoder
// cannot tell.
uint64_t AudioChannelLength(uint32_t handle);
// True between BASS_ChannelPlay and the stream's end (or another stream
// starting).
bool AudioChannelIsPlaying(uint32_t handle);

// Stops and releases one stream.
bool AudioStreamFree(uint32_t handle);

// Length of a music file in milliseconds, rounded down. Opens the file as a
// stream for the moment and releases it again; needs BASS_Init. False with a
// result code when the file cannot be opened or its length is unknown.
bool AudioMusicFileLengthMs(const char* path, uint32_t* milliseconds);
