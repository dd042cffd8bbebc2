#include "tools/demotool/PreviewSession.h"

#include "demo/Timeline.h"
#include "platform/Memory.h"
#include "tools/demotool/PreviewMusic.h"
#include "tools/demotool/PreviewShow.h"

#include <SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kFpsWindowMs = 500;
constexpr int32_t kLongSeek = 8;

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

PreviewSession::PreviewSession(FILE* reportTo, uint32_t pollEvery)
    : report(reportTo), pollInterval(pollEvery)
{
    SetClockSource(&clock);
}

PreviewSession::~PreviewSession()
{
    // The show's effects and textures go while the context is still there.
    show.reset();
    music.reset();
    SetClockSource(nullptr);
}

bool PreviewSession::Start()
{
    return Rebuild(std::nullopt, true);
}

void PreviewSession::Step(uint32_t elapsed, const std::vector<PreviewAction>& actions)
{
    const int32_t buildsBefore = buildCount;
    for (PreviewAction action : actions)
        Apply(action);
    PollFiles(elapsed);
    // A replaced show, or an attempt that failed, freed its memory among the
    // blocks of the show now playing, where the C library would keep it:
    // without this the process grows with every reload.
    if (buildCount != buildsBefore)
        ReleaseFreedMemory();

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
    CountFrame(elapsed);
}

void PreviewSession::Apply(PreviewAction action)
{
    switch (action) {
    case PreviewAction::TogglePause: TogglePause(); break;
    case PreviewAction::BackOne: SeekPositions(-1); break;
    case PreviewAction::ForwardOne: SeekPositions(1); break;
    case PreviewAction::BackEight: SeekPositions(-kLongSeek); break;
    case PreviewAction::ForwardEight: SeekPositions(kLongSeek); break;
    case PreviewAction::Home: Rebuild(std::nullopt, true); break;
    case PreviewAction::Reload:
        std::fprintf(report, "preview: reloading\n");
        Reload();
        break;
    }
}

bool PreviewSession::Rebuild(std::optional<uint32_t> time, bool moveMusic)
{
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
    const uint32_t start = time.value_or(attempt->ScriptStartTime());
    attempt->StartAt(start);
    // The old show's effects and pictures go before the new one draws.
    show = std::move(attempt);
    if (nextMusic || show->MusicPath().empty()) {
        music = std::move(nextMusic);
        moveMusic = true;
    }
    // Music held at the end plays again from the new show's time.
    if (atEnd)
        moveMusic = true;
    atEnd = false;
    if (music && moveMusic)
        music->PlayFrom(start, paused);
    return true;
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
    const double position = std::floor(Time() / perPosition) + count;
    double target = std::max(0.0, position * perPosition);
    if (timeline.EndTime() != Timeline::kNoTime)
        target = std::min(target, double(timeline.EndTime()));
    Rebuild(uint32_t(std::min(target, double(Timeline::kNoTime))), true);
}

void PreviewSession::TogglePause()
{
    if (atEnd) {
        paused = false;
        Rebuild(std::nullopt, true);
        return;
    }
    paused = !paused;
    if (!music)
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
    if (show) {
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
// nothing played yet; the music plays on undisturbed.
void PreviewSession::Reload()
{
    const std::optional<uint32_t> time = show ? std::optional<uint32_t>(Time()) : std::nullopt;
    if (!Rebuild(time, false))
        return;
    const Timeline& timeline = show->GetTimeline();
    std::fprintf(report, "preview: reloaded at %s (%u ms)\n",
                 ShowTimeText(Time(), timeline.MsPerPosition(), timeline.MsPerBeat()).c_str(), Time());
    std::fflush(report);
}

uint32_t PreviewSession::Time() const
{
    return show ? show->GetTimeline().CurrentTime() : 0;
}

const Timeline* PreviewSession::CurrentTimeline() const
{
    return show ? &show->GetTimeline() : nullptr;
}

uint32_t PreviewSession::MusicHandle() const
{
    return music ? music->Handle() : 0;
}
