#include "offline/OfflineShow.h"

#include "app/ProcessObjects.h"
#include "app/ShowLineup.h"
#include "demo/TimelineHost.h"
#include "platform/AudioLayer.h"
#include "platform/CrtRandom.h"
#include "platform/FileRead.h"
#include "platform/MessageBox.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

namespace {

// The scene pass draws a 512 by 512 square and copies it: the surface must
// hold it whatever the output size.
constexpr int32_t kSceneSide = 512;
constexpr const char* kScriptPath = "data/script.txt";

} // namespace

// Boxes would wait for a user that an offline render does not have: the text
// goes to standard error and the default button answers.
class QuietMessageBoxes final : public MessageBoxSink {
public:
    int Show(const char* text, const char* caption, unsigned style) override
    {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        if (style & MB_YESNO)
            return (style & MB_DEFBUTTON2) ? IDNO : IDYES;
        return IDOK;
    }
};

// The player's pictures and music, with script faults told on standard error
// and the music file remembered for the video's sound.
class OfflineTimelineHost final : public TimelineHost {
public:
    bool LoadImage(ImageRegistry* registry, const std::string& handle, const std::string& path,
                   int32_t wrapMode) override
    {
        return DefaultTimelineHost().LoadImage(registry, handle, path, wrapMode);
    }

    bool LoadMusic(const std::string& path) override
    {
        // A file the player could not open gives no sound in the video either.
        const bool loaded = DefaultTimelineHost().LoadMusic(path);
        musicPath = loaded ? path : std::string();
        return loaded;
    }

    void SetMusicPosition(uint32_t milliseconds) override { DefaultTimelineHost().SetMusicPosition(milliseconds); }

    void ReportFault(const char*, int32_t, const std::string&, const std::string& fullText) override
    {
        std::fprintf(stderr, "%s: %s\n", kScriptPath, fullText.c_str());
        ++faultCount;
    }

    std::string musicPath;
    int32_t faultCount = 0;
};

OfflineShow::OfflineShow(const OfflineSettings& showSettings, FrameSink* frameSink)
    : settings(showSettings), sink(frameSink), clock(showSettings.framesPerSecond)
{
}

OfflineShow::~OfflineShow()
{
    std::string ignored;
    Finish(ignored);
    RestoreProcess();
}

bool OfflineShow::Open(std::string& error)
{
    if (std::FILE* script = OpenFileForReading(kScriptPath)) {
        std::fclose(script);
    } else {
        error = std::string("cannot read ") + kScriptPath + " (run in the show's directory, or give --dir)";
        return false;
    }

    // Offscreen always, so a render is the same with or without a display.
    if (!videoDriverSet) {
        const char* before = SDL_getenv("SDL_VIDEODRIVER");
        previousVideoDriver = before ? before : "";
        videoDriverSet = true;
    }
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
    messageBoxes = std::make_unique<QuietMessageBoxes>();
    SetMessageBoxSink(messageBoxes.get());
    SetClockSource(&clock);
    platform::SetFramePresenter(this);
    // Every render starts the shared random sequence afresh, so frames repeat.
    CrtSeed(1);
    AudioSetOutputOff(true);

    objects = std::make_unique<ProcessObjects>();
    objects->Window().LimitSamples(settings.samples);
    // With the helper made while the context is current: nothing else applies
    // the default GL state when the disclaimer is left out.
    const WindowSettings spec{"Demo", std::max(settings.width, kSceneSide), std::max(settings.height, kSceneSide), 32,
                              false};
    if (!objects->OpenWindow(spec)) {
        error = std::string("no OpenGL context on SDL's offscreen driver: ") + SDL_GetError();
        return false;
    }
    objects->Window().Resize(settings.width, settings.height);
    contentWidth = objects->Window().Width();
    contentHeight = objects->Window().Height();

    readback = std::make_unique<FrameReadback>();
    readback->Init();
    if (sink)
        writer = std::make_unique<FrameWriter>(*sink, settings.width, settings.height);

    host = std::make_unique<OfflineTimelineHost>();
    show = std::make_unique<DemoShow>(*host);
    show->driver.SetIntro(settings.withIntro);
    capturing = settings.withIntro && writer;
    const int32_t result = show->Start();
    capturing = false;
    if (result != 0) {
        error = host->faultCount > 0 ? std::string(kScriptPath) + " has faults (listed above)"
                                     : "the show could not start: its script or a picture it needs is missing";
        return false;
    }
    initialised = true;
    StartAt(GetTimeline().StartTime());
    return true;
}

Timeline& OfflineShow::GetTimeline()
{
    return show->driver.GetTimeline();
}

const std::string& OfflineShow::MusicPath() const
{
    static const std::string none;
    return host ? host->musicPath : none;
}

void OfflineShow::StartAt(uint32_t milliseconds)
{
    Timeline& timeline = GetTimeline();
    timeline.SetStartTime(milliseconds);
    // No frame has advanced the timeline yet, so a second reset only moves
    // the clock and the music.
    timeline.Reset();
    clock.StartFrames();
    firstFrame = true;
}

uint32_t OfflineShow::NextFrameTime() const
{
    return show->driver.GetTimeline().CurrentTime() + (firstFrame ? 0 : clock.FramesLength(1));
}

uint32_t OfflineShow::FrameTimeAfterNext() const
{
    return show->driver.GetTimeline().CurrentTime() + clock.FramesLength(firstFrame ? 1 : 2);
}

int32_t OfflineShow::AdvanceFrame()
{
    if (!firstFrame)
        clock.NextFrame();
    firstFrame = false;
    return show->driver.Frame();
}

bool OfflineShow::RenderFrame(bool capture)
{
    if (!initialised)
        return false;
    capturing = capture && writer;
    const int32_t result = AdvanceFrame();
    objects->Window().Swap();
    capturing = false;
    return result == 0 && !SinkFailed();
}

bool OfflineShow::SkipFrame()
{
    if (!initialised)
        return false;
    // Nothing is swapped: no picture was made, and none is read back.
    objects->Helper().SetQuiet(true);
    const int32_t result = AdvanceFrame();
    objects->Helper().SetQuiet(false);
    return result == 0;
}

// A frame drawn on the way is drawn as RenderFrame draws it, swap included,
// so the buffers hold what they hold in a whole play.
bool OfflineShow::PlayFrame(bool quiet)
{
    return quiet ? SkipFrame() : RenderFrame(false);
}

bool OfflineShow::FastForwardTo(uint32_t milliseconds)
{
    return initialised && FastForward(*this, milliseconds) == FastForwardEnd::Landed;
}

void OfflineShow::Present()
{
    const uint32_t slept = clock.TakeSleptMs();
    if (!capturing)
        return;
    // A long sleep (the pause before the disclaimer fades out) keeps the
    // last frame on screen for as long.
    const int32_t repeats = int32_t(int64_t(slept) * clock.FramesPerSecond() / 1000);
    if (repeats > 0 && readback->AddRepeats(repeats))
        framesSubmitted += repeats;
    readback->Start(contentWidth, contentHeight);
    ++framesSubmitted;
    if (readback->Full())
        SubmitOldest();
}

// A frame short would shift every later one against the music, and the
// music's length is counted from the frames.
void OfflineShow::SubmitOldest()
{
    if (readback->TakeOldest(spareFrame)) {
        writer->Submit(spareFrame);
    } else if (readbackError.empty()) {
        readbackError = "a frame could not be read back from the GL context";
    }
}

bool OfflineShow::Finish(std::string& error)
{
    if (!writer)
        return true;
    while (readback && readback->HasPending())
        SubmitOldest();
    const bool ok = writer->Finish(error);
    if (ok && !readbackError.empty())
        error = readbackError;
    return ok && readbackError.empty();
}

bool OfflineShow::SinkFailed() const
{
    return !readbackError.empty() || (writer && writer->Failed());
}

void OfflineShow::RestoreProcess()
{
    initialised = false;
    show.reset();
    writer.reset();
    readback.reset();
    objects.reset();
    AudioSetOutputOff(false);
    platform::SetFramePresenter(nullptr);
    SetClockSource(nullptr);
    SetMessageBoxSink(nullptr);
    if (videoDriverSet)
        SDL_setenv("SDL_VIDEODRIVER", previousVideoDriver.c_str(), 1);
}
