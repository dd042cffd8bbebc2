#include "offline/OfflineShow.h"

#include "app/GLWindow.h"
#include "app/Keyboard.h"
#include "app/ProcessObjects.h"
#include "app/ShowLineup.h"
#include "demo/DemoDriver.h"
#include "demo/TimelineHost.h"
#include "effects/RenderHelper.h"
#include "platform/AudioLayer.h"
#include "platform/CrtRandom.h"
#include "platform/MessageBox.h"
#include "resources/MCSounds.h"

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
    if (std::FILE* script = std::fopen(kScriptPath, "rb")) {
        std::fclose(script);
    } else {
        error = std::string("cannot read ") + kScriptPath + " (run in the show's directory, or give --dir)";
        return false;
    }

    // Offscreen always, so a render is the same with or without a display.
    SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1);
    messageBoxes = std::make_unique<QuietMessageBoxes>();
    SetMessageBoxSink(messageBoxes.get());
    SetClockSource(&clock);
    platform::SetFramePresenter(this);
    // Every render starts the shared random sequence afresh, so frames repeat.
    CrtSeed(1);

    window = std::make_unique<GLWindow>();
    window->LimitSamples(settings.samples);
    InstallGLWindow(window.get());
    const WindowSettings spec{"Demo", std::max(settings.width, kSceneSide), std::max(settings.height, kSceneSide), 32,
                              false};
    if (!window->Create(spec)) {
        error = std::string("no OpenGL context on SDL's offscreen driver: ") + SDL_GetError();
        return false;
    }
    window->Resize(settings.width, settings.height);
    contentWidth = window->Width();
    contentHeight = window->Height();

    keyboard = std::make_unique<Keyboard>();
    InstallKeyboard(keyboard.get());
    AudioSetOutputOff(true);
    music = std::make_unique<MCSounds>();
    InstallMusic(music.get());
    // Made with the context current: nothing else applies the default GL
    // state when the disclaimer is left out.
    renderHelper = std::make_unique<RenderHelper>();
    InstallRenderHelper(renderHelper.get());

    readback = std::make_unique<FrameReadback>();
    readback->Init();
    if (sink)
        writer = std::make_unique<FrameWriter>(*sink, settings.width, settings.height);

    host = std::make_unique<OfflineTimelineHost>();
    driver = std::make_unique<DemoDriver>(*host);
    lineup = std::make_unique<ShowLineup>();
    lineup->AddTo(*driver);
    driver->SetIntro(settings.withIntro);
    capturing = settings.withIntro && writer;
    const int32_t result = driver->Init();
    capturing = false;
    if (result != 0) {
        error = host->faultCount > 0 ? std::string(kScriptPath) + " has faults (listed above)"
                                     : "the show could not start: its script or a picture it needs is missing";
        return false;
    }
    initialised = true;
    StartAt(driver->GetTimeline().StartTime());
    return true;
}

Timeline& OfflineShow::GetTimeline()
{
    return driver->GetTimeline();
}

const std::string& OfflineShow::MusicPath() const
{
    static const std::string none;
    return host ? host->musicPath : none;
}

void OfflineShow::StartAt(uint32_t milliseconds)
{
    Timeline& timeline = driver->GetTimeline();
    timeline.SetStartTime(milliseconds);
    // No frame has advanced the timeline yet, so a second reset only moves
    // the clock and the music.
    timeline.Reset();
    clock.StartFrames();
    firstFrame = true;
}

uint32_t OfflineShow::NextFrameTime() const
{
    return driver->GetTimeline().CurrentTime() + (firstFrame ? 0 : clock.NextFrameLength());
}

int32_t OfflineShow::AdvanceFrame()
{
    if (!firstFrame)
        clock.NextFrame();
    firstFrame = false;
    return driver->Frame();
}

bool OfflineShow::RenderFrame(bool capture)
{
    if (!initialised)
        return false;
    capturing = capture && writer;
    const int32_t result = AdvanceFrame();
    window->Swap();
    capturing = false;
    return result == 0 && !SinkFailed();
}

bool OfflineShow::SkipFrame()
{
    if (!initialised)
        return false;
    // Nothing is swapped: no picture was made, and none is read back.
    renderHelper->SetQuiet(true);
    const int32_t result = AdvanceFrame();
    renderHelper->SetQuiet(false);
    return result == 0;
}

bool OfflineShow::FastForwardTo(uint32_t milliseconds)
{
    while (NextFrameTime() < milliseconds) {
        if (!SkipFrame())
            return false;
    }
    return true;
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

void OfflineShow::SubmitOldest()
{
    if (readback->TakeOldest(spareFrame))
        writer->Submit(spareFrame);
}

bool OfflineShow::Finish(std::string& error)
{
    if (!writer)
        return true;
    while (readback && readback->HasPending())
        SubmitOldest();
    const bool ok = writer->Finish(error);
    return ok;
}

bool OfflineShow::SinkFailed() const
{
    return writer && writer->Failed();
}

void OfflineShow::RestoreProcess()
{
    if (initialised)
        driver->Uninit();
    initialised = false;
    lineup.reset();
    driver.reset();
    writer.reset();
    readback.reset();
    if (renderHelper)
        InstallRenderHelper(nullptr);
    renderHelper.reset();
    if (music)
        InstallMusic(nullptr);
    music.reset();
    AudioSetOutputOff(false);
    if (keyboard)
        InstallKeyboard(nullptr);
    keyboard.reset();
    if (window) {
        window->Destroy();
        InstallGLWindow(nullptr);
    }
    window.reset();
    platform::SetFramePresenter(nullptr);
    SetClockSource(nullptr);
    SetMessageBoxSink(nullptr);
}
