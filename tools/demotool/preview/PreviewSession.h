#pragma once

#include "offline/FastForward.h"
#include "platform/Clock.h"
#include "tools/demotool/preview/FileWatch.h"
#include "tools/demotool/preview/HeldPicture.h"
#include "tools/demotool/preview/PreviewKeys.h"
#include "tools/demotool/preview/PreviewShow.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class PreviewMusic;
class Timeline;
class TimelineStrip;

// "#position.beat" of a time at the tempo given.
std::string ShowTimeText(uint32_t milliseconds, double msPerPosition, double msPerBeat);

// Plays the show under the current directory for its author: at once, from
// any time, rebuilt whenever one of its files changes. Every seek and reload
// lands where the whole show is there: on the frames of a render at 60 frames
// per second from the script's start, the last frame cut short to land on the
// time itself (FastForward). The session keeps checkpoints on those frames,
// about one per second of show, taken while it fast-forwards and, with time
// to spare, while the show plays; a seek goes from the latest one before its
// target. A reload builds a new show and keeps the checkpoints from before
// the first change to the script's events. A show with faults is reported
// and thrown away, and the last good one plays on.
//
// Needs a current GL context and the process-wide objects installed. While
// it lives, the frame clock is the session's own: it moves by the time given
// to Step, and not while paused.
//
// Paused, and at the end, no frame is played: the picture last drawn is held
// (drawn again only when the strip comes or goes or the window changes size),
// so the show goes on exactly where the whole show is when it resumes.
class PreviewSession final : private FrameStepper {
public:
    // Reloads and faults are told on `report`. The files are looked at
    // every `pollInterval` milliseconds of Step time. A Step fast-forwards
    // for about `seekSlice` milliseconds of wall time (one frame at least),
    // so that the window answers during a long seek. A Step that plays
    // spends about `fillSlice` milliseconds more on checkpoints ahead, a
    // held picture's Step three times as much; 0 takes none but the seeks'.
    explicit PreviewSession(FILE* report = stderr, uint32_t pollInterval = 250, uint32_t seekSlice = 50,
                            uint32_t fillSlice = 4);
    ~PreviewSession() override;

    PreviewSession(const PreviewSession&) = delete;
    PreviewSession& operator=(const PreviewSession&) = delete;

    // Builds the show and starts it, music included, at its script's start
    // time. False when it has faults: nothing plays until a file changes.
    bool Start();
    // One frame: the actions in order, a look at the files, then the show
    // moved on by `elapsed` milliseconds and drawn, with the timeline strip
    // over it when shown. True when it drew a picture to show: not while a
    // seek goes on, nor while the picture is held and nothing changed.
    bool Step(uint32_t elapsed, const std::vector<PreviewAction>& actions);
    // An action at once, as its key is pressed. Seeks in a row build one
    // show, for the last one's target, at the next Step or action.
    void Apply(PreviewAction action);
    // A left click at a window pixel (x right, y down from the top): on the
    // strip's lanes it seeks to the time under it. True when it did.
    bool ClickAt(int32_t x, int32_t y);

    // Goes to this timeline time exactly as the whole show is there, music
    // too: from the latest checkpoint before it, fast-forwarded up to it over
    // the next Steps, the first picture shown there. Before the script's
    // start a new show starts at the time as a "Goto" line would.
    void SeekTo(uint32_t milliseconds);
    // True while a seek has not landed yet: Step then shows nothing new.
    bool IsSeeking() const { return seekTarget.has_value() || pendingSeek.has_value(); }
    // Playback from the loop's end goes back to its start, as a seek; a
    // loop needs both ends, the start first.
    void SetLoopStart();
    void SetLoopEnd();
    void ClearLoop();
    std::optional<uint32_t> LoopStart() const { return loopStart; }
    std::optional<uint32_t> LoopEnd() const { return loopEnd; }

    // Time, frame rate and state, or a seek's progress, for the window title.
    std::string Title() const;

    bool HasShow() const { return show != nullptr; }
    bool IsPaused() const { return paused; }
    bool IsAtEnd() const { return atEnd; }
    bool IsStripShown() const { return stripShown; }
    // The lanes of the show playing, as the strip draws them.
    const TimelineStrip& Strip() const { return *strip; }
    TimelineStrip& Strip() { return *strip; }
    // The timeline clock of the show playing; 0 without one.
    uint32_t Time() const;
    const Timeline* CurrentTimeline() const;
    // The faults of the last build, when it failed; empty once one succeeds.
    const std::vector<std::string>& Faults() const { return faults; }
    // The audio layer's handle of the music playing, 0 for none.
    uint32_t MusicHandle() const;
    int32_t BuildCount() const { return buildCount; }
    size_t CheckpointCount() const { return checkpoints.size(); }
    // Checkpoints go as far as the show's events, or its end.
    bool CheckpointsComplete() const { return filled; }
    // What the checkpoints hold, in bytes.
    size_t CheckpointBytes() const;
    // The frames fast-forwarded by seeks since the session began.
    int64_t FramesFastForwarded() const { return framesFastForwarded; }
    // How often a Step gave freed memory back: once after each Step that
    // follows a build.
    int32_t MemoryReleases() const { return memoryReleases; }

private:
    class FrameClock final : public ClockSource {
    public:
        uint32_t TimeMs() override { return now; }
        uint32_t TickCount() override;
        void Sleep(uint32_t milliseconds) override;

        uint32_t now = 0;
    };

    // Frames played on a render's grid: a seek's, or the checkpoints'.
    struct Grid {
        uint32_t from = 0;
        int64_t frame = 0; // frames played so far
    };
    // The show as it was before grid frame `frame`.
    struct Checkpoint {
        int64_t frame = 0;
        ShowSnapshot state;
    };

    // The show moved on and drawn, or the screen cleared without one.
    void DrawFrame(uint32_t elapsed);
    void KeepPicture();
    // Builds the show for the seek asked for by the last keys, if any.
    void StartPendingSeek();
    // A slice of the seek's fast-forward, and the landing once it is done;
    // true when it landed.
    bool ContinueSeek();
    void Land();
    // From the latest checkpoint that plays a frame before the target, or
    // on from where a seek under way has got to.
    void StartSeek(uint32_t target);
    bool PlayGridFrame(bool quiet, bool unseen);
    // A checkpoint at the grid frame about to play, unless one is near.
    void KeepCheckpoint(int64_t spacing);
    void FillCheckpoints(uint32_t budget);
    Timeline& StepperTimeline() override;
    uint32_t NextFrameTime() const override;
    uint32_t FrameTimeAfterNext() const override;
    bool PlayFrame(bool quiet) override;
    // Where the preview stands, or will once the seek lands.
    uint32_t Destination() const;
    // Builds anew and starts at `time` (the script's start when empty).
    // `moveMusic` puts the music there too; a reload keeps it running.
    bool Rebuild(std::optional<uint32_t> time, bool moveMusic);
    std::unique_ptr<PreviewMusic> NewMusicFor(PreviewShow& attempt) const;
    void Reload();
    void SeekPositions(int32_t count);
    void TogglePause();
    void PollFiles(uint32_t elapsed);
    void WatchFilesOf(const PreviewShow& attempt);
    void ReportFaults(bool keptShow) const;
    void CountFrame(uint32_t elapsed);
    void UpdateStripLanes();

    FILE* report;
    FrameClock clock;
    std::unique_ptr<PreviewShow> show;
    std::unique_ptr<PreviewMusic> music;
    Grid grid;
    std::optional<uint32_t> seekTarget;
    // The time a seek started from, for its progress.
    uint32_t seekFrom = 0;
    std::optional<uint32_t> pendingSeek;
    // By frame; the first, at the script's start, is always there.
    std::vector<Checkpoint> checkpoints;
    // Where the checkpoints' fill goes on from; put aside with the show's
    // pixels, so no seek restores it.
    std::optional<Checkpoint> fillCursor;
    uint32_t fillEnd = 0;
    bool filled = false;
    // The last grid frame played left no pixel a later frame sees.
    bool lastFrameUnseen = false;
    int64_t framesFastForwarded = 0;
    std::optional<uint32_t> loopStart;
    std::optional<uint32_t> loopEnd;
    HeldPicture held;
    // The show has drawn no picture since it was built, so none is held.
    bool undrawn = true;
    bool stripToggled = false;
    std::unique_ptr<TimelineStrip> strip;
    bool stripShown = false;
    FileWatch watch;
    std::vector<std::string> faults;
    uint32_t pollInterval;
    uint32_t seekSlice;
    uint32_t fillSlice;
    uint32_t sincePoll = 0;
    bool paused = false;
    // The show's last frame was played; it holds there until Space.
    bool atEnd = false;
    int32_t buildCount = 0;
    int32_t releasedBuildCount = 0;
    int32_t memoryReleases = 0;
    uint32_t framesCounted = 0;
    uint32_t msCounted = 0;
    double framesPerSecond = 0.0;
};
