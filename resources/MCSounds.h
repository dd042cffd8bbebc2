#pragma once

#include <cstdint>

// The music player: one stream on the audio device, opened by the script,
// started by the driver, moved by the timeline.
class MCSounds {
public:
    // Opens the default output; falls back silently to the no-sound device.
    MCSounds();
    virtual ~MCSounds();

    MCSounds(const MCSounds&) = delete;
    MCSounds& operator=(const MCSounds&) = delete;

    bool LoadStream(const char* path);
    bool LoadModule(const char* path);
    // Plays from the beginning. Nothing happens without a stream.
    void Play();
    bool SetPosition(uint32_t milliseconds);
    // Shows "Error in MCSounds::<method>: <text>" when the audio layer has
    // recorded an error.
    void ShowError(const char* method);

    uint32_t Channel() const { return channel; }

private:
    uint32_t channel = 0;
};
