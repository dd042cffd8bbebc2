#include "tools/demotool/preview/PreviewMusic.h"

#include "platform/AudioLayer.h"

PreviewMusic::~PreviewMusic()
{
    if (handle != 0)
        AudioStreamFree(handle);
}

bool PreviewMusic::Open(const std::string& file, std::string& error)
{
    stamp = StampOf(file);
    handle = BASS_StreamCreateFile(false, file.c_str(), 0, 0, 0);
    if (handle == 0) {
        error = "the music " + file + " cannot be played (audio error " + std::to_string(BASS_ErrorGetCode()) + ")";
        return false;
    }
    path = file;
    return true;
}

bool PreviewMusic::IsCurrentFor(const std::string& file) const
{
    return handle != 0 && file == path && StampOf(file) == stamp;
}

void PreviewMusic::PlayFrom(uint32_t milliseconds, bool paused)
{
    if (handle == 0)
        return;
    const uint64_t bytes = BASS_ChannelSeconds2Bytes(handle, float(milliseconds * 0.001));
    pastEnd = !BASS_ChannelSetPosition(handle, bytes);
    if (pastEnd || paused)
        Pause();
    else
        Resume();
}

void PreviewMusic::Pause()
{
    if (handle != 0 && AudioChannelIsPlaying(handle))
        BASS_ChannelPause(handle);
}

// A stream that has played out would start over from its beginning, far
// from the picture, so it stays silent instead.
void PreviewMusic::Resume()
{
    if (handle == 0 || pastEnd || AudioChannelIsPlaying(handle))
        return;
    const uint64_t length = AudioChannelLength(handle);
    if (length != ~uint64_t(0) && AudioChannelPosition(handle) >= length)
        return;
    BASS_ChannelPlay(handle, false);
}
