#include "demo/Timeline.h"
#include "demo/TimelineHost.h"

#include "app/ProcessObjects.h"
#include "app/ShowError.h"
#include "resources/ImageRegistry.h"

namespace {

class PlayerTimelineHost final : public TimelineHost {
public:
    bool LoadImage(ImageRegistry* registry, const std::string& handle, const std::string& path,
                   int32_t wrapMode) override
    {
        return registry && registry->LoadImage(handle, path, wrapMode);
    }

    bool LoadMusic(const std::string& path) override { return GetMusic()->LoadStream(path.c_str()); }

    void SetMusicPosition(uint32_t milliseconds) override { GetMusic()->SetPosition(milliseconds); }

    void ReportFault(const char*, int32_t, const std::string&, const std::string& fullText) override
    {
        ShowError(fullText.c_str());
    }
};

} // namespace

TimelineHost& DefaultTimelineHost()
{
    static PlayerTimelineHost host;
    return host;
}

// Lives here so that code which plays scripts through a host of its own (the
// tools, the tests) never pulls in the pictures, the music or the error box.
Timeline::Timeline() : Timeline(DefaultTimelineHost()) {}
