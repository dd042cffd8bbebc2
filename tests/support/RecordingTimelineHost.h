#pragma once

#include "demo/ProgressListener.h"
#include "demo/Timeline.h"
#include "demo/TimelineHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Records the timeline's calls out so that scripts load and play without GL
// or audio.
class TestTimelineHost final : public TimelineHost {
public:
    struct Picture {
        ImageRegistry* registry;
        std::string handle;
        std::string path;
        int32_t wrapMode;
    };
    struct Fault {
        std::string message;
        int32_t line;
        std::string lineText;
        std::string fullText;
    };

    bool LoadImage(ImageRegistry* registry, const std::string& handle, const std::string& path,
                   int32_t wrapMode) override
    {
        pictures.push_back({registry, handle, path, wrapMode});
        return true;
    }
    bool LoadMusic(const std::string& path) override
    {
        music.push_back(path);
        return true;
    }
    void SetMusicPosition(uint32_t milliseconds) override { positions.push_back(milliseconds); }
    void ReportFault(const char* message, int32_t line, const std::string& lineText,
                     const std::string& fullText) override
    {
        faults.push_back({message, line, lineText, fullText});
    }

    std::vector<Picture> pictures;
    std::vector<std::string> music;
    std::vector<uint32_t> positions;
    std::vector<Fault> faults;
};

class CountingProgress final : public ProgressListener {
public:
    void Progress() override { ++calls; }
    int calls = 0;
};

// A timeline on the heap (it holds its tables inside) with a recording host.
struct ScriptedTimeline {
    TestTimelineHost host;
    std::unique_ptr<Timeline> timeline = std::make_unique<Timeline>(host);

    bool Load(const std::string& script) { return timeline->LoadFromMemory(script.data(), script.size(), nullptr); }
    Timeline* operator->() { return timeline.get(); }
    const TimelineEvent& Event(int32_t i) const { return timeline->Events()[i]; }
};
