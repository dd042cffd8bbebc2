#pragma once

#include "app/ShowLineup.h"
#include "demo/Timeline.h"
#include "demo/TimelineHost.h"
#include "tools/demotool/preview/FileWatch.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Everything a frame of the show carries to the next, as plain copies: put
// back, the show goes on exactly as it went on from there. Pictures, the mesh
// and GL objects are the build's and stay out.
struct ShowSnapshot {
    TimelinePlayState timeline;
    // The kinds of the events whose start the clock has reached, in the
    // script's order: the later ones are as read, and a script whose events
    // up to then are the same can take these.
    std::vector<EventKind> reachedKinds;
    HeartState heart;
    PictureState picture;
    GlowComposeState glowCompose;
    uint32_t random = 1;
    uint32_t lastFrameTime = 0;
};

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

    // The earliest timeline time from which this show, played, can differ
    // from `before` played: where their events first differ, a changed
    // pattern first plays, or 0 for anything else changed (tempo, "Goto", a
    // picture, the mesh, the music). Timeline::kNoTime when nothing differs.
    uint32_t FirstDifference(const PreviewShow& before) const;
    // The frame clock's reading is the driver's last frame time.
    void Save(ShowSnapshot& snapshot) const;
    void Restore(const ShowSnapshot& snapshot);

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
    std::vector<EventKind> scriptKinds;
    // How each of the files but the script looked once the build read them.
    std::vector<FileStamp> stamps;
    std::unique_ptr<DemoShow> show;
};
