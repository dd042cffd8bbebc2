#pragma once

#include "tools/demotool/preview/FileWatch.h"

#include <cstdint>
#include <string>

// The preview's own music stream, apart from the player's music object: the
// driver's start-up restarts that one from its beginning, while the preview
// keeps its music where the picture is across reloads, pauses and seeks.
class PreviewMusic {
public:
    PreviewMusic() = default;
    ~PreviewMusic();

    PreviewMusic(const PreviewMusic&) = delete;
    PreviewMusic& operator=(const PreviewMusic&) = delete;

    // Opens the file as a stream that does not play yet. False, with the
    // reason in `error`, when the audio layer refuses it.
    bool Open(const std::string& path, std::string& error);
    // True when this stream was opened from `path` and the file has not
    // changed since.
    bool IsCurrentFor(const std::string& path) const;

    // Moves the music to the time and plays it unless `paused`. Past the
    // music's end it stays silent.
    void PlayFrom(uint32_t milliseconds, bool paused);
    void Pause();
    void Resume();

    uint32_t Handle() const { return handle; }
    const std::string& Path() const { return path; }

private:
    uint32_t handle = 0;
    std::string path;
    FileStamp stamp;
    // Set when the last move went past the end: resuming then plays nothing.
    bool pastEnd = false;
};
