#include "tools/demotool/preview/PreviewSession.h"

#include "app/ProcessObjects.h"
#include "demo/Timeline.h"
#include "effects/RenderHelper.h"
#include "offline/FastForward.h"
#include "offline/SteppedClock.h"
#include "platform/CrtRandom.h"
#include "platform/Memory.h"
#include "tools/demotool/preview/PreviewMusic.h"
#include "tools/demotool/preview/PreviewShow.h"
#include "tools/demotool/preview/SavedGLState.h"
#include "tools/demotool/preview/TimelineStrip.h"
#include "tools/demotool/script/ScriptSession.h"
#include "tools/demotool/timeline/TimelineLanes.h"

#include <SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kFpsWindowMs = 500;
constexpr int32_t kLongSeek = 8;
// The frame rate of a default render, so that a seek to one of its frames
// shows what "demotool render --at" draws there.
constexpr int32_t kSeekFramesPerSecond = 60;
// A second of show between checkpoints: a seek fast-forwards at most that
// much, in well under a tenth of a second.
constexpr int64_t kCheckpointFrames = kSeekFramesPerSecond;
// Checkpoints go a little past the last event, where the show still moves.
constexpr uint32_t kFillPastEvents = 10000;

} // namespace

std::string ShowTimeText(uint32_t milliseconds, double msPerPosition, double msPerBeat)
{
    if (msPerPosition <= 0.0 || msPerBeat <= 0.0)
        return "#?";
    const double position = std::floor(milliseconds / msPerPosition);
    const double beat = std::floor((milliseconds - position * msPerPosition) / msPerBeat);
    return "#" + std::to_string(int64_t(position)) + "." + std::to_string(int64_t(beat));
}

uint32_t PreviewSession::FrameClock::TickCount()
{
    // The keyboard's auto-repeat runs on real time, paused or not.
    return uint32_t(SDL_GetTicks64());
}

void PreviewSession::FrameClock::Sleep(uint32_t milliseconds)
{
    SDL_Delay(milliseconds);
}

PreviewSession::PreviewSession(FILE* reportTo, uint32_t pollEvery, uint32_t seekSliceMs, uint32_t fillSliceMs)
    : report(reportTo), strip(std::make_unique<TimelineStrip>()), pollInterval(pollEvery), seekSlice(seekSliceMs),
      fillSlice(fillSliceMs)
{
    SetClockSource(&clock);
}

PreviewSession::~PreviewSession()
{
    // The show's effects and textures go while the context is still there.
    show.reset();
    strip.reset();
    music.reset();
    SetClockSource(nullptr);
}

bool PreviewSession::Start()
{
    return Rebuild(std::nullopt, true);
}

bool PreviewSession::Step(uint32_t elapsed, const std::vector<PreviewAction>& actions)
{
    for (PreviewAction action : actions)
        Apply(action);
    StartPendingSeek();
    PollFiles(elapsed);
    // A replaced show, or an attempt that failed, freed its memory among the
    // blocks of the show now playing, where the C library would keep it:
    // without this the process grows with every reload. Counted by builds,
    // since a click rebuilds between Steps.
    if (buildCount != releasedBuildCount) {
        ReleaseFreedMemory();
        releasedBuildCount = buildCount;
        ++memoryReleases;
    }
    const int32_t width = GetGLWindow()->Width();
    const int32_t height = GetGLWindow()->Height();
    bool drew = true;
    const bool playing = show && !seekTarget && !paused && !atEnd && !undrawn;
    if (playing && loopStart && loopEnd && Time() + elapsed >= *loopEnd)
        SeekTo(*loopStart);
    if (seekTarget) {
        drew = ContinueSeek();
    } else if (undrawn || !(paused || atEnd)) {
        DrawFrame(elapsed);
    } else if (stripToggled || !held.KeptAt(width, height)) {
        held.Show(width, height);
        // Kept again at the window's new size, so it is stretched only once.
        held.Keep(width, height);
    } else {
        drew = false;
    }
    stripToggled = false;
    // Also over the picture a seek lands on, so the strip does not blink.
    if (drew && stripShown && show) {
        strip->Draw(width, height, Time());
        strip->DrawLoopMarks(loopStart, loopEnd);
    }
    if (!seekTarget)
        FillCheckpoints(paused || atEnd ? 3 * fillSlice : fillSlice);
    CountFrame(elapsed);
    return drew;
}

void PreviewSession::DrawFrame(uint32_t elapsed)
{
    if (!paused && !atEnd)
        clock.now += elapsed;
    if (show) {
        if (show->Frame() && !atEnd) {
            // The end holds still, music too, so the last picture can be
            // looked at; Space starts over.
            atEnd = true;
            if (music)
                music->Pause();
        }
    } else {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    KeepPicture();
}

// Every picture drawn, before the strip goes over it: a pause comes after
// the picture was shown, when the window's pixels can no longer be read.
void PreviewSession::KeepPicture()
{
    held.Keep(GetGLWindow()->Width(), GetGLWindow()->Height());
    undrawn = false;
}

bool PreviewSession::ClickAt(int32_t x, int32_t y)
{
    if (!stripShown || !show)
        return false;
    const std::optional<uint32_t> time = strip->TimeAt(x, y);
    if (!time)
        return false;
    SeekTo(*time);
    return true;
}

void PreviewSession::Apply(PreviewAction action)
{
    switch (action) {
    case PreviewAction::TogglePause:
        // Space after a seek pauses where the seek goes, and starts over
        // only from the end itself.
        StartPendingSeek();
        TogglePause();
        break;
    case PreviewAction::BackOne: SeekPositions(-1); break;
    case PreviewAction::ForwardOne: SeekPositions(1); break;
    case PreviewAction::BackEight: SeekPositions(-kLongSeek); break;
    case PreviewAction::ForwardEight: SeekPositions(kLongSeek); break;
    case PreviewAction::Home:
        if (show)
            SeekTo(show->ScriptStartTime());
        break;
    case PreviewAction::Reload:
        std::fprintf(report, "preview: reloading\n");
        Reload();
        break;
    case PreviewAction::ToggleStrip:
        stripShown = !stripShown;
        stripToggled = true;
        break;
    case PreviewAction::LoopStart: SetLoopStart(); break;
    case PreviewAction::LoopEnd: SetLoopEnd(); break;
    case PreviewAction::ClearLoop: ClearLoop(); break;
    }
}

bool PreviewSession::Rebuild(std::optional<uint32_t> time, bool moveMusic)
{
    // Any build takes the place of the seek asked for; a failed one leaves
    // the show where it is.
    pendingSeek.reset();
    ++buildCount;
    auto attempt = std::make_unique<PreviewShow>();
    const bool built = attempt->Build();
    std::unique_ptr<PreviewMusic> nextMusic = built ? NewMusicFor(*attempt) : nullptr;
    // Watched whether good or not, so that mending a file brings the show in.
    WatchFilesOf(*attempt);
    for (const std::string& note : attempt->Notes())
        std::fprintf(report, "preview: %s\n", note.c_str());
    if (!built || !attempt->Faults().empty()) {
        faults = attempt->Faults();
        ReportFaults(show != nullptr);
        return false;
    }

    faults.clear();
    const uint32_t scriptStart = attempt->ScriptStartTime();
    // Past the script's end there is nothing to see but its last frame.
    const uint32_t target = std::min(time.value_or(scriptStart), attempt->GetTimeline().EndTime());
    // A checkpoint holds while the show has played nothing that changed.
    const uint32_t validBefore = show ? attempt->FirstDifference(*show) : 0;
    std::erase_if(checkpoints, [validBefore](const Checkpoint& checkpoint) {
        return checkpoint.frame == 0 || checkpoint.state.timeline.currentTime >= validBefore;
    });
    fillCursor.reset();
    filled = false;
    fillEnd = 0;
    const Timeline& timeline = attempt->GetTimeline();
    for (int32_t i = 0; i < timeline.EventCount(); ++i)
        fillEnd = std::max({fillEnd, timeline.Events()[i].start, timeline.Events()[i].end});
    fillEnd = std::min(uint32_t(std::min<uint64_t>(uint64_t(fillEnd) + kFillPastEvents, Timeline::kNoTime)),
                       timeline.EndTime());
    // Each show draws the random sequence from its beginning, as the player does.
    CrtSeed(1);
    attempt->StartAt(scriptStart);
    // The old show's effects and pictures go before the new one draws.
    show = std::move(attempt);
    grid = Grid{scriptStart, 0};
    Checkpoint start;
    show->Save(start.state);
    checkpoints.insert(checkpoints.begin(), std::move(start));
    seekTarget.reset();
    undrawn = true;
    UpdateStripLanes();
    if (nextMusic || show->MusicPath().empty()) {
        music = std::move(nextMusic);
        moveMusic = true;
    }
    // Music held at the end plays again from the new show's time.
    if (atEnd)
        moveMusic = true;
    atEnd = false;
    if (target > scriptStart) {
        // The music waits for the picture, then goes on from the same time.
        StartSeek(target);
        return true;
    }
    // Before the script's start, off the checkpoints' frames.
    if (target < scriptStart) {
        show->StartAt(target);
        grid = Grid{target, 0};
    }
    if (music && moveMusic)
        music->PlayFrom(target, paused);
    return true;
}

void PreviewSession::SeekTo(uint32_t milliseconds)
{
    pendingSeek.reset();
    if (!show)
        return;
    const uint32_t target = std::min(milliseconds, show->GetTimeline().EndTime());
    if (target < show->ScriptStartTime()) {
        Rebuild(target, true);
        return;
    }
    atEnd = false;
    undrawn = true;
    StartSeek(target);
}

void PreviewSession::StartSeek(uint32_t target)
{
    const uint32_t gridStart = show->ScriptStartTime();
    const Checkpoint* from = &checkpoints.front();
    for (const Checkpoint& checkpoint : checkpoints)
        if (gridStart + SteppedClock::FrameStart(checkpoint.frame, kSeekFramesPerSecond) < target)
            from = &checkpoint;
    // The frames a seek under way played are as good as a checkpoint, and
    // need no frame played after them: their pixels are still there.
    const bool goOn = seekTarget && grid.from == gridStart && grid.frame >= from->frame && NextFrameTime() <= target;
    if (!goOn) {
        show->Restore(from->state);
        clock.now = from->state.lastFrameTime;
        grid = Grid{gridStart, from->frame};
        lastFrameUnseen = false;
        seekFrom = Time();
    }
    seekTarget = target;
    if (music)
        music->Pause();
}

void PreviewSession::StartPendingSeek()
{
    if (pendingSeek)
        SeekTo(*pendingSeek);
}

// Frames lie where a render's do, from the show's start, and the last is cut
// short to land on the target itself.
bool PreviewSession::ContinueSeek()
{
    const uint64_t sliceEnd = SDL_GetTicks64() + seekSlice;
    if (FastForward(*this, *seekTarget, [sliceEnd] { return SDL_GetTicks64() < sliceEnd; }) ==
        FastForwardEnd::Paused)
        return false;
    Land();
    return true;
}

Timeline& PreviewSession::StepperTimeline()
{
    return show->GetTimeline();
}

uint32_t PreviewSession::NextFrameTime() const
{
    return grid.from + SteppedClock::FrameStart(grid.frame, kSeekFramesPerSecond);
}

uint32_t PreviewSession::FrameTimeAfterNext() const
{
    return grid.from + SteppedClock::FrameStart(grid.frame + 1, kSeekFramesPerSecond);
}

bool PreviewSession::PlayFrame(bool quiet)
{
    ++framesFastForwarded;
    return PlayGridFrame(quiet, quiet);
}

// `unseen`: no later frame sees this one's pixels, so that the show after it
// can be a checkpoint.
bool PreviewSession::PlayGridFrame(bool quiet, bool unseen)
{
    if (grid.frame > 0)
        clock.now += SteppedClock::FrameStart(grid.frame, kSeekFramesPerSecond) -
                     SteppedClock::FrameStart(grid.frame - 1, kSeekFramesPerSecond);
    GetRenderHelper()->SetQuiet(quiet);
    const bool ended = show->Frame();
    GetRenderHelper()->SetQuiet(false);
    ++grid.frame;
    lastFrameUnseen = unseen;
    if (unseen && !ended && grid.from == show->ScriptStartTime())
        KeepCheckpoint(kCheckpointFrames);
    return !ended;
}

void PreviewSession::KeepCheckpoint(int64_t spacing)
{
    const auto above =
        std::upper_bound(checkpoints.begin(), checkpoints.end(), grid.frame,
                         [](int64_t frame, const Checkpoint& checkpoint) { return frame < checkpoint.frame; });
    if (above != checkpoints.begin() && std::prev(above)->frame + spacing > grid.frame)
        return;
    Checkpoint checkpoint;
    checkpoint.frame = grid.frame;
    show->Save(checkpoint.state);
    checkpoints.insert(above, std::move(checkpoint));
}

// Spare time goes to checkpoints ahead of the last one. The show playing is
// put aside and back, GL state included; the frames played meanwhile draw
// nothing.
void PreviewSession::FillCheckpoints(uint32_t budget)
{
    if (!show || filled || budget == 0 || grid.from != show->ScriptStartTime())
        return;
    if (!fillCursor || fillCursor->frame < checkpoints.back().frame)
        fillCursor = checkpoints.back();
    ShowSnapshot playing;
    show->Save(playing);
    const uint32_t playingClock = clock.now;
    const Grid playingGrid = grid;
    // Whether the playing show's last frame can be kept as a checkpoint is
    // its own, not that of the fill's last frame.
    const bool playingLastFrameUnseen = lastFrameUnseen;
    {
        const SavedGLState saved(GetGLWindow()->Width(), GetGLWindow()->Height());
        show->Restore(fillCursor->state);
        clock.now = fillCursor->state.lastFrameTime;
        grid.frame = fillCursor->frame;
        const uint64_t end = SDL_GetTicks64() + budget;
        do {
            const bool unseen = NextFrameCanBeQuiet(show->GetTimeline(), FrameTimeAfterNext());
            if (!PlayGridFrame(true, unseen) || NextFrameTime() >= fillEnd) {
                filled = true;
                break;
            }
        } while (SDL_GetTicks64() < end);
        fillCursor->frame = grid.frame;
        show->Save(fillCursor->state);
    }
    show->Restore(playing);
    clock.now = playingClock;
    grid = playingGrid;
    lastFrameUnseen = playingLastFrameUnseen;
}

size_t PreviewSession::CheckpointBytes() const
{
    size_t bytes = 0;
    for (const Checkpoint& checkpoint : checkpoints)
        bytes += sizeof(Checkpoint) + checkpoint.state.reachedKinds.capacity() * sizeof(EventKind) +
                 (checkpoint.state.heart.flash.capacity() + checkpoint.state.heart.fade.capacity()) * sizeof(float);
    return bytes;
}

// The frame at the target itself, drawn; a whole frame when the target lies
// on a render's frame, else one cut short.
void PreviewSession::Land()
{
    const uint32_t target = *seekTarget;
    seekTarget.reset();
    // Where the seek stands is where a seek onwards goes on from.
    if (lastFrameUnseen && grid.from == show->ScriptStartTime())
        KeepCheckpoint(1);
    clock.now += target - Time();
    const bool ended = show->Frame();
    KeepPicture();
    if (ended) {
        atEnd = true;
        return;
    }
    if (music)
        music->PlayFrom(target, paused);
}

// Read once more with the tools' reader: the lanes come from the events the
// tracer plays, and the show's own timeline is not to be played ahead.
void PreviewSession::UpdateStripLanes()
{
    ScriptSession script;
    if (script.Load(PreviewShow::kScriptPath) && script.Ok())
        strip->SetLanes(BuildTimelineLanes(script));
}

// A new stream only when the script names another file or the file has
// changed; otherwise the one playing goes on undisturbed. A file the audio
// layer refuses is a fault of the show.
std::unique_ptr<PreviewMusic> PreviewSession::NewMusicFor(PreviewShow& attempt) const
{
    const std::string& path = attempt.MusicPath();
    if (path.empty() || (music && music->IsCurrentFor(path)))
        return nullptr;
    auto opened = std::make_unique<PreviewMusic>();
    std::string error;
    if (opened->Open(path, error))
        return opened;
    attempt.AddFault(error);
    return nullptr;
}

void PreviewSession::SeekPositions(int32_t count)
{
    if (!show)
        return;
    const Timeline& timeline = show->GetTimeline();
    const double perPosition = timeline.MsPerPosition();
    // A tempo above 60000 beats per minute makes beats of 0 ms.
    if (perPosition <= 0.0)
        return;
    const double position = std::floor(Destination() / perPosition) + count;
    double target = std::max(0.0, position * perPosition);
    if (timeline.EndTime() != Timeline::kNoTime)
        target = std::min(target, double(timeline.EndTime()));
    // Several presses within one frame: one show built, one fast-forward.
    pendingSeek = uint32_t(std::min(target, double(Timeline::kNoTime)));
}

void PreviewSession::TogglePause()
{
    if (atEnd) {
        paused = false;
        SeekTo(show->ScriptStartTime());
        return;
    }
    paused = !paused;
    // A seek under way starts the music, or not, when it lands.
    if (!music || seekTarget)
        return;
    if (paused)
        music->Pause();
    else
        music->Resume();
}

void PreviewSession::PollFiles(uint32_t elapsed)
{
    sincePoll += elapsed;
    if (sincePoll < pollInterval)
        return;
    sincePoll = 0;
    const std::string changed = watch.ChangedFile();
    if (changed.empty())
        return;
    std::fprintf(report, "preview: %s changed, reloading\n", changed.c_str());
    Reload();
}

void PreviewSession::WatchFilesOf(const PreviewShow& attempt)
{
    watch.Clear();
    for (const std::string& file : attempt.Files())
        watch.Watch(file);
    // Named by the effects, not the script: read only once the script is good.
    watch.Watch(PreviewShow::kMeshPath);
}

void PreviewSession::ReportFaults(bool keptShow) const
{
    std::fprintf(report, "preview: %zu fault%s%s:\n", faults.size(), faults.size() == 1 ? "" : "s",
                 keptShow ? ", the last good show plays on" : ", nothing to play");
    for (const std::string& fault : faults)
        std::fprintf(report, "  %s\n", fault.c_str());
    std::fflush(report);
}

void PreviewSession::CountFrame(uint32_t elapsed)
{
    ++framesCounted;
    msCounted += elapsed;
    if (msCounted < kFpsWindowMs)
        return;
    framesPerSecond = framesCounted * 1000.0 / msCounted;
    framesCounted = 0;
    msCounted = 0;
}

std::string PreviewSession::Title() const
{
    std::string title = "Demo preview";
    if (show && seekTarget) {
        const Timeline& timeline = show->GetTimeline();
        const double done = *seekTarget > seekFrom ? double(Time() - seekFrom) / double(*seekTarget - seekFrom) : 1.0;
        char percent[32];
        std::snprintf(percent, sizeof percent, "  %d%%", int(done * 100.0));
        title += "  seeking " + ShowTimeText(*seekTarget, timeline.MsPerPosition(), timeline.MsPerBeat()) + percent;
    } else if (show) {
        const Timeline& timeline = show->GetTimeline();
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "  %u ms  %.1f fps", Time(), framesPerSecond);
        title += "  " + ShowTimeText(Time(), timeline.MsPerPosition(), timeline.MsPerBeat()) + numbers;
        if (atEnd)
            title += "  end";
        else if (paused)
            title += "  paused";
    } else {
        title += "  no show";
    }
    if (!faults.empty())
        title += "  |  " + std::to_string(faults.size()) + (faults.size() == 1 ? " fault: " : " faults, the first: ") +
                 faults.front();
    return title;
}

// A reload goes on where the show stands, or from the script's start when
// nothing played yet; the music plays on undisturbed unless the new show has
// to be fast-forwarded there.
void PreviewSession::Reload()
{
    const std::optional<uint32_t> time = show ? std::optional<uint32_t>(Destination()) : std::nullopt;
    if (!Rebuild(time, false))
        return;
    const Timeline& timeline = show->GetTimeline();
    std::fprintf(report, "preview: reloaded at %s (%u ms)\n",
                 ShowTimeText(Destination(), timeline.MsPerPosition(), timeline.MsPerBeat()).c_str(), Destination());
    std::fflush(report);
}

uint32_t PreviewSession::Time() const
{
    return show ? show->GetTimeline().CurrentTime() : 0;
}

uint32_t PreviewSession::Destination() const
{
    if (pendingSeek)
        return *pendingSeek;
    return seekTarget ? *seekTarget : Time();
}

void PreviewSession::SetLoopStart()
{
    loopStart = Destination();
    if (loopEnd && *loopEnd <= *loopStart)
        loopEnd.reset();
}

void PreviewSession::SetLoopEnd()
{
    if (loopStart && Destination() > *loopStart)
        loopEnd = Destination();
}

void PreviewSession::ClearLoop()
{
    loopStart.reset();
    loopEnd.reset();
}

const Timeline* PreviewSession::CurrentTimeline() const
{
    return show ? &show->GetTimeline() : nullptr;
}

uint32_t PreviewSession::MusicHandle() const
{
    return music ? music->Handle() : 0;
}
