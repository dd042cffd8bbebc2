#pragma once

#include "app/GLWindow.h"
#include "offline/FrameReadback.h"
#include "offline/FastForward.h"
#include "offline/FrameWriter.h"
#include "offline/SteppedClock.h"
#include "platform/Window.h"

#include <cstdint>
#include <memory>
#include <string>

class DemoShow;
class ProcessObjects;
class Timeline;
class OfflineTimelineHost;
class QuietMessageBoxes;

struct OfflineSettings {
    int32_t width = 800;
    int32_t height = 600;
    int32_t framesPerSecond = 60;
    bool withIntro = false;
    // Multisampling as the player asks for it, so that a video shows the
    // show's smooth edges; 0 draws without.
    int32_t samples = GLWindow::kPlayerSamples;
};

// The show played off screen: the player's driver, timeline and effects on a
// headless context, with a clock that moves exactly one frame per frame and
// no music output. Frames that are asked for are read back and go to a sink
// on a writer thread. Reads data/ from the current directory, like the player.
// One at a time per process: it installs the process-wide objects and puts the
// previous ones back when it goes, SDL's video driver too. The clock, the
// presenter and the message boxes have no previous ones to ask for: the
// system's come back. The shared random sequence is left where the show
// left it.
class OfflineShow final : private platform::FramePresenter, private FrameStepper {
public:
    // sink may be null when no frame is wanted.
    OfflineShow(const OfflineSettings& settings, FrameSink* sink);
    ~OfflineShow() override;

    OfflineShow(const OfflineShow&) = delete;
    OfflineShow& operator=(const OfflineShow&) = delete;

    // Makes the context, reads the show and, when asked, plays the
    // disclaimer sequence into the sink. False with a reason.
    bool Open(std::string& error);

    Timeline& GetTimeline();
    // The music file that the script opened, empty when none could be.
    const std::string& MusicPath() const;

    // Starts the show at this time, as the script's "Goto" would. Once, after
    // Open and before the first frame.
    void StartAt(uint32_t milliseconds);
    // The timeline time that the next RenderFrame shows.
    uint32_t NextFrameTime() const override;
    // Draws one frame; with capture set it goes to the sink. False once the
    // frame reached the script's end, or when the sink failed.
    bool RenderFrame(bool capture);
    // Plays one frame as RenderFrame would but draws nothing: the timeline,
    // every effect and the random sequence move on exactly as if it were
    // drawn, so the next drawn frame is the one a full play would show.
    // False once the frame reached the script's end.
    bool SkipFrame();
    // Plays every frame before the first at or after this time, which the
    // next RenderFrame then draws (see FastForward). False when the script
    // ends before it.
    bool FastForwardTo(uint32_t milliseconds);
    // Hands on the frames still on their way and waits for the sink. False
    // with a reason when the sink failed or a frame could not be read back.
    bool Finish(std::string& error);

    // Frames given to the sink so far (repeats counted): after Open, the
    // length of the disclaimer sequence.
    int64_t FramesSubmitted() const { return framesSubmitted; }
    // The sink failed, or a frame could not be read back.
    bool SinkFailed() const;

private:
    int32_t AdvanceFrame();
    void Present() override;
    void SubmitOldest();
    void RestoreProcess();

    Timeline& StepperTimeline() override { return GetTimeline(); }
    uint32_t FrameTimeAfterNext() const override;
    bool PlayFrame(bool quiet) override;

    OfflineSettings settings;
    FrameSink* sink;
    SteppedClock clock;
    std::unique_ptr<QuietMessageBoxes> messageBoxes;
    std::unique_ptr<OfflineTimelineHost> host;
    std::unique_ptr<ProcessObjects> objects;
    std::unique_ptr<DemoShow> show;
    std::unique_ptr<FrameReadback> readback;
    std::unique_ptr<FrameWriter> writer;
    RawFrame spareFrame;
    std::string readbackError;
    std::string previousVideoDriver;
    bool videoDriverSet = false;
    bool initialised = false;
    bool capturing = false;
    bool firstFrame = true;
    int64_t framesSubmitted = 0;
    int32_t contentWidth = 0;
    int32_t contentHeight = 0;
};
