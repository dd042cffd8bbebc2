#include "app/Keyboard.h"
#include "app/MainLoop.h"
#include "app/ProcessObjects.h"
#include "demo/DemoBase.h"
#include "platform/Messages.h"
#include "platform/Window.h"
#include "tests/support/HeadlessGL.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// A demo that logs its calls and answers as the test scripts it.
class ScriptedDemo final : public DemoBase {
public:
    int32_t Init() override
    {
        log.push_back("init");
        if (onInit)
            onInit();
        return initResult;
    }
    int32_t Frame() override
    {
        log.push_back("frame");
        const size_t index = frames++;
        if (onFrame)
            onFrame(index);
        return index < frameResults.size() ? frameResults[index] : 0;
    }
    int32_t Uninit() override
    {
        log.push_back("uninit");
        return uninitResult;
    }

    std::vector<std::string> log;
    std::vector<int32_t> frameResults;
    std::function<void()> onInit;
    std::function<void(size_t)> onFrame;
    int32_t initResult = 0;
    int32_t uninitResult = 0;
    size_t frames = 0;
};

class SwapCounter final : public platform::FramePresenter {
public:
    SwapCounter(std::vector<std::string>& sharedLog) : log(sharedLog) { platform::SetFramePresenter(this); }
    ~SwapCounter() override { platform::SetFramePresenter(nullptr); }
    void Present() override { log.push_back("swap"); }
    std::vector<std::string>& log;
};

class RunDemoTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        objects.emplace(&gl->Window());
        MSG drained;
        while (PeekMessageA(&drained)) {
        }
    }
    void TearDown() override
    {
        objects.reset();
        GLTest::TearDown();
    }

    std::optional<ProcessObjects> objects;
    ScriptedDemo demo;
};

} // namespace

TEST_F(RunDemoTest, FailedInitReturnsFourWithoutUninit)
{
    demo.initResult = 1;
    EXPECT_EQ(RunDemo(demo, kExitOnEscape), kRunInitFailed);
    EXPECT_EQ(demo.log, (std::vector<std::string>{"init"}));
    EXPECT_STREQ(RunResultMessage(kRunInitFailed), "Initialization failed");
    EXPECT_EQ(RunResultExitStatus(kRunInitFailed), 1);
}

TEST_F(RunDemoTest, FinishedTimelineStillSwapsItsLastFrame)
{
    SwapCounter swaps(demo.log);
    demo.frameResults = {0, 2};
    EXPECT_EQ(RunDemo(demo, kExitOnEscape), kRunTimelineFinished);
    EXPECT_EQ(demo.log, (std::vector<std::string>{"init", "frame", "swap", "frame", "swap", "uninit"}));
    EXPECT_EQ(RunResultMessage(kRunTimelineFinished), nullptr);
    EXPECT_EQ(RunResultExitStatus(kRunTimelineFinished), 0);
}

TEST_F(RunDemoTest, FrameResultsMapToRunResults)
{
    for (const auto& [frameResult, runResult] :
         std::vector<std::pair<int32_t, int32_t>>{{1, kRunRuntimeError}, {2, kRunTimelineFinished}, {3, kRunStoppedByUser}}) {
        ScriptedDemo scripted;
        scripted.frameResults = {7, frameResult};
        EXPECT_EQ(RunDemo(scripted, kExitOnEscape), runResult) << "frame result " << frameResult;
        EXPECT_EQ(scripted.frames, 2u);
    }
    EXPECT_STREQ(RunResultMessage(kRunRuntimeError), "Runtime error");
}

TEST_F(RunDemoTest, EscapePressedAndReleasedDuringInitDoesNotStop)
{
    demo.onInit = [] {
        PostMessageA(WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(WM_KEYUP, VK_ESCAPE, 0);
    };
    demo.frameResults = {0, 0, 2};
    EXPECT_EQ(RunDemo(demo, kExitOnEscape), kRunTimelineFinished);
    EXPECT_EQ(demo.frames, 3u);
}

TEST_F(RunDemoTest, EscapeHeldStopsWithResultTwoAndUninitRuns)
{
    demo.onFrame = [](size_t index) {
        if (index == 1)
            PostMessageA(WM_KEYDOWN, VK_ESCAPE, 0);
    };
    EXPECT_EQ(RunDemo(demo, kExitOnEscape), kRunStoppedByUser);
    EXPECT_EQ(demo.frames, 2u);
    EXPECT_EQ(demo.log.back(), "uninit");
    EXPECT_EQ(RunResultMessage(kRunStoppedByUser), nullptr);
}

TEST_F(RunDemoTest, AnyKeyStopsOnlyWithItsExitFlag)
{
    demo.onFrame = [](size_t index) {
        if (index == 0)
            PostMessageA(WM_KEYDOWN, 'A', 0);
    };
    demo.frameResults = {0, 0, 2};
    EXPECT_EQ(RunDemo(demo, kExitOnEscape), kRunTimelineFinished);

    objects->keyboard.Reset();
    ScriptedDemo second;
    second.onFrame = demo.onFrame;
    EXPECT_EQ(RunDemo(second, kExitOnAnyKey), kRunStoppedByUser);
    EXPECT_EQ(second.frames, 1u);
}

TEST_F(RunDemoTest, CloseGivesQuitWithoutAFrame)
{
    demo.onFrame = [](size_t index) {
        if (index == 0)
            PostMessageA(WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(RunDemo(demo, kExitOnEscape), kRunQuit);
    EXPECT_EQ(demo.frames, 1u);
    EXPECT_EQ(RunResultExitStatus(kRunQuit), 0);
}

TEST_F(RunDemoTest, FailedUninitReplacesEveryResult)
{
    demo.uninitResult = 1;
    demo.frameResults = {1};
    EXPECT_EQ(RunDemo(demo, kExitOnEscape), kRunUninitFailed);
    EXPECT_STREQ(RunResultMessage(kRunUninitFailed), "Uninitialization failed");
}

TEST_F(RunDemoTest, ScreenSaverRequestsAreSwallowedAndSizeReachesTheWindow)
{
    SDL_DisableScreenSaver();
    EXPECT_EQ(WindowProc(WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(WindowProc(WM_SYSCOMMAND, SC_MONITORPOWER, 0), 0);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    // The whole command is compared: with a low bit set it is the system's.
    WindowProc(WM_SYSCOMMAND, SC_SCREENSAVE | 1, 0);
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
    SDL_DisableScreenSaver();
    // Other commands go on to the system, which closes the window on this one.
    WindowProc(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpMessages());

    PostMessageA(WM_SIZE, 0, MakeSizeParam(1000, 600));
    PostMessageA(WM_KEYDOWN, 300, 0);
    EXPECT_FALSE(PumpMessages());
    EXPECT_EQ(GetGLWindow()->Width(), 800);
    EXPECT_EQ(GetGLWindow()->Height(), 600);
    EXPECT_FALSE(objects->keyboard.AnyKey()); // a key outside 0..255 changes nothing
}

TEST_F(RunDemoTest, EveryPendingMessageIsTakenEvenAfterQuit)
{
    // The quit comes before keys still waiting, which the same pump takes.
    PostMessageA(WM_CLOSE, 0, 0);
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.state = SDL_PRESSED;
    key.key.keysym.sym = SDLK_b;
    ASSERT_EQ(SDL_PushEvent(&key), 1);
    EXPECT_TRUE(PumpMessages());
    EXPECT_TRUE(objects->keyboard.IsDown('B'));
    EXPECT_FALSE(PumpMessages());
}
