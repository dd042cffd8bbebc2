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

PreviewSession::PreviewSession(FILE* reportTo, uint32_t pollEvery, uint32_t seekSliceMs)
    : report(reportTo), strip(std::make_unique<TimelineStrip>()), pollInterval(pollEvery), seekSlice(seekSliceMs)
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
    if (seek) {
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
    if (drew && stripShown && show)
        strip->Draw(width, height, Time());
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
    case PreviewAction::Home: Rebuild(std::nullopt, true); break;
    case PreviewAction::Reload:
        std::fprintf(report, "preview: reloading\n");
        Reload();
        break;
    case PreviewAction::ToggleStrip:
        stripShown = !stripShown;
        stripToggled = true;
        break;
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
    const uint32_t start = std::min(target, scriptStart);
    // Each show draws the random sequence from its beginning, as the player does.
    CrtSeed(1);
    attempt->StartAt(start);
    // The old show's effects and pictures go before the new one draws.
    show = std::move(attempt);
    seek.reset();
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
    if (target > start) {
        // The music waits for the picture, then goes on from the same time.
        seek = Seek{start, target, 0};
        if (music)
            music->Pause();
        return true;
    }
    if (music && moveMusic)
        music->PlayFrom(start, paused);
    return true;
}

void PreviewSession::SeekTo(uint32_t milliseconds)
{
    Rebuild(milliseconds, true);
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
    if (FastForward(*this, seek->target, [sliceEnd] { return SDL_GetTicks64() < sliceEnd; }) ==
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
    return seek->from + SteppedClock::FrameStart(seek->frame, kSeekFramesPerSecond);
}

uint32_t PreviewSession::FrameTimeAfterNext() const
{
    return seek->from + SteppedClock::FrameStart(seek->frame + 1, kSeekFramesPerSecond);
}

bool PreviewSession::PlayFrame(bool quiet)
{
    if (seek->frame > 0)
        clock.now += SteppedClock::FrameStart(seek->frame, kSeekFramesPerSecond) -
                     SteppedClock::FrameStart(seek->frame - 1, kSeekFramesPerSecond);
    GetRenderHelper()->SetQuiet(quiet);
    const bool ended = show->Frame();
    GetRenderHelper()->SetQuiet(false);
    ++seek->frame;
    return !ended;
}

// The frame at the target itself, drawn; a whole frame when the target lies
// on a render's frame, else one cut short.
void PreviewSession::Land()
{
    const uint32_t target = seek->target;
    seek.reset();
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
        Rebuild(std::nullopt, true);
        return;
    }
    paused = !paused;
    // A seek under way starts the music, or not, when it lands.
    if (!music || seek)
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
    if (show && seek) {
        const Timeline& timeline = show->GetTimeline();
        const double done = double(Time() - seek->from) / double(seek->target - seek->from);
        char percent[32];
        std::snprintf(percent, sizeof percent, "  %d%%", int(done * 100.0));
        title += "  seeking " + ShowTimeText(seek->target, timeline.MsPerPosition(), timeline.MsPerBeat()) + percent;
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
    return seek ? seek->target : Time();
}

const Timeline* PreviewSession::CurrentTimeline() const
{
    return show ? &show->GetTimeline() : nullptr;
}

uint32_t PreviewSession::MusicHandle() const
{
    return music ? music->Handle() : 0;
}
