#pragma once

#include <cstdint>
#include <string>

class ImageRegistry;

// Everything the timeline asks of the rest of the player. The player uses the
// real pictures, music and message boxes; tests and tools record the calls
// instead, so that a script loads and plays without GL or audio.
class TimelineHost {
public:
    // Results are ignored by the timeline: a picture or music that fails
    // to load is its own subsystem's business, not a script fault.
    virtual bool LoadImage(ImageRegistry* registry, const std::string& handle, const std::string& path,
                           int32_t wrapMode) = 0;
    virtual bool LoadMusic(const std::string& path) = 0;
    virtual void SetMusicPosition(uint32_t milliseconds) = 0;
    // One script fault: its message, the 1-based line and the line's text
    // after define expansion; fullText is what the user is shown.
    virtual void ReportFault(const char* message, int32_t line, const std::string& lineText,
                             const std::string& fullText) = 0;

protected:
    ~TimelineHost() = default;
};

// The player's host: ImageRegistry::LoadImage, the global music player and
// the error box.
TimelineHost& DefaultTimelineHost();
