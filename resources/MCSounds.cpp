#include "resources/MCSounds.h"

#include "app/ShowError.h"
#include "platform/AudioLayer.h"

#include <string>

namespace {

constexpr uint32_t kOutputRate = 44100;

const char* TextForErrorCode(int code)
{
    switch (code) {
    case 1: return "There is insufficent memory.";
    case 2: return "The file could not be opened.";
    case 6: return "The sample format is not supported by the device/drivers.";
    case 8: return "BASS_Init has not been successfully called.";
    case 41: return "The file's format is not recognised/supported.";
    default: return "";
    }
}

uint32_t OpenWholeFileAsStream(const char* path)
{
    return BASS_StreamCreateFile(false, path, 0, 0, 0);
}

} // namespace

MCSounds::MCSounds()
{
    // Without a sound device the show runs silently; nobody is told.
    if (!BASS_Init(1, kOutputRate, 0, nullptr, nullptr))
        BASS_Init(0, kOutputRate, 0, nullptr, nullptr);
    channel = 0;
}

// Freeing the device releases the stream too.
MCSounds::~MCSounds()
{
    BASS_Free();
}

// A second load replaces the handle; the earlier stream stays open until the
// device is freed.
bool MCSounds::LoadStream(const char* path)
{
    channel = OpenWholeFileAsStream(path);
    if (channel != 0)
        return true;
    ShowError("LoadStream");
    return false;
}

bool MCSounds::LoadModule(const char* path)
{
    channel = OpenWholeFileAsStream(path);
    if (channel != 0)
        return true;
    ShowError("LoadModule");
    return false;
}

void MCSounds::Play()
{
    BASS_ChannelPlay(channel, true);
}

bool MCSounds::SetPosition(uint32_t milliseconds)
{
    float seconds = static_cast<float>(milliseconds * 0.001);
    uint64_t bytes = BASS_ChannelSeconds2Bytes(channel, seconds);
    return BASS_ChannelSetPosition(channel, bytes);
}

void MCSounds::ShowError(const char* method)
{
    if (BASS_ErrorGetCode() == 0)
        return;
    std::string message = std::string("Error in MCSounds::") + method + ": ";
    message += TextForErrorCode(BASS_ErrorGetCode());
    ::ShowError(message.c_str());
}
