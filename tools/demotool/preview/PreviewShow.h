#pragma once

#include "app/ShowLineup.h"
#include "demo/TimelineHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Timeline;

// One show built from the files under the current directory the way the
// player builds it, without the disclaimer: a driver of its own with its
// timeline, pictures and six effects. What the player would show in message
// boxes is gathered as text, and so is every file the show reads, so that the
// preview can watch them. The music is the preview's business: the script's
// music file is only noted here.
class PreviewShow final : private TimelineHost {
public:
    static constexpr const char* kScriptPath = "data/script.txt";
    static constexpr const char* kMeshPath = "data/3ds/cordel.3ds";

    PreviewShow();
    ~PreviewShow();

    PreviewShow(const PreviewShow&) = delete;
    PreviewShow& operator=(const PreviewShow&) = delete;

    // Reads the script, loads the pictures and the mesh and starts the
    // effects. False when anything reported a fault; the show must then not
    // be played.
    bool Build();
    // Starts the timeline at the time, as a "Goto" line would.
    void StartAt(uint32_t milliseconds);
    // Runs one frame of the driver; true once the script's end is reached.
    bool Frame();

    void AddFault(std::string fault) { faults.push_back(std::move(fault)); }

    Timeline& GetTimeline();
    const Timeline& GetTimeline() const;
    // Where the script starts the show ("Goto"), whatever StartAt chose.
    uint32_t ScriptStartTime() const { return scriptStartTime; }
    const std::vector<std::string>& Faults() const { return faults; }
    // Things worth telling that do not stop the show, such as mesh repairs.
    const std::vector<std::string>& Notes() const { return notes; }
    const std::vector<std::string>& Files() const { return files; }
    // Empty when the script loads no music.
    const std::string& MusicPath() const { return musicPath; }

private:
    bool LoadImage(ImageRegistry* registry, const std::string& handle, const std::string& path,
                   int32_t wrapMode) override;
    bool LoadMusic(const std::string& path) override;
    void SetMusicPosition(uint32_t milliseconds) override;
    void ReportFault(const char* message, int32_t line, const std::string& lineText,
                     const std::string& fullText) override;

    std::string ScriptLine() const;
    void ReportMissingPictures();
    void CheckMesh();
    void DeleteTextures();

    std::vector<std::string> faults;
    std::vector<std::string> notes;
    std::vector<std::string> files;
    std::string musicPath;
    uint32_t scriptStartTime = 0;
    std::unique_ptr<DemoShow> show;
};
