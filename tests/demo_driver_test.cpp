#include "app/ProcessObjects.h"
#include "demo/DemoDriver.h"
#include "demo/Effect.h"
#include "tests/support/Fakes.h"
#include "tests/support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace {

std::atomic<long> g_allocations{0};

} // namespace

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

// Every form that a library may pair with the ones above goes to malloc too,
// so that memory allocated by one form and freed by another still matches.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++g_allocations;
    return std::malloc(size ? size : 1);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return operator new(size, std::nothrow);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace {

// An effect that writes what the driver does to it into a shared journal.
class RecordingEffect final : public Effect {
public:
    RecordingEffect(std::vector<std::string>& sharedJournal, int effectId)
        : journal(sharedJournal), id(effectId)
    {
    }
    virtual ~RecordingEffect() {}

    int32_t Init() override
    {
        journal.push_back("init " + std::to_string(id));
        return initResult;
    }
    int32_t Uninit() override
    {
        journal.push_back("uninit " + std::to_string(id));
        return uninitResult;
    }
    void Render() override
    {
        if (recording)
            journal.push_back("draw " + std::to_string(id) + " pass " + std::to_string(pass));
    }
    int32_t Update(uint32_t dt) override
    {
        clock += dt;
        lastDt = dt;
        if (params.flags[kPatternStepFlag] != 0)
            steps.push_back({char(params.flags[kPatternStepFlag]), pass});
        if (recording)
            journal.push_back("update " + std::to_string(id) + " pass " + std::to_string(pass));
        return 0;
    }

    struct Step {
        char character;
        int32_t pass;
    };

    std::vector<std::string>& journal;
    int id;
    int32_t initResult = 0;
    int32_t uninitResult = 0;
    bool recording = true;
    uint32_t clock = 0;
    uint32_t lastDt = 0;
    std::vector<Step> steps;
    bool HasRegistryAndHelper() const { return imageRegistry != nullptr && renderHelper != nullptr; }
};

class DemoDriverTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        directory = std::filesystem::temp_directory_path() /
                    ("demo_driver_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory / "data");
        previous = std::filesystem::current_path();
        std::filesystem::current_path(directory);
        objects.emplace(&gl->Window());
        objects->MakeRenderHelper();
    }
    void TearDown() override
    {
        objects.reset();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(directory);
        GLTest::TearDown();
    }

    void WriteScript(const std::string& text)
    {
        std::ofstream(directory / "data" / "script.txt") << text;
    }

    RecordingEffect& Add(DemoDriver& driver)
    {
        effects.push_back(std::make_unique<RecordingEffect>(journal, int(effects.size())));
        driver.AddEffect(effects.back().get());
        return *effects.back();
    }

    std::filesystem::path directory;
    std::filesystem::path previous;
    std::optional<ProcessObjects> objects;
    RecordingMessageBoxes boxes;
    std::vector<std::string> journal;
    std::vector<std::unique_ptr<RecordingEffect>> effects;
};

const char* kTwoRunningEffects = "=0 Set scene.0.RUN\n=0 Set scene.1.RUN\n";

} // namespace

TEST_F(DemoDriverTest, UpdatesAndDrawsEffectByEffectInEachPass)
{
    ManualClock clock(1000);
    WriteScript(kTwoRunningEffects);
    DemoDriver driver;
    driver.SetIntro(false);
    Add(driver);
    Add(driver);
    driver.SetPassCount(2);
    ASSERT_EQ(driver.Init(), 0);
    journal.clear();
    clock.Advance(16);
    EXPECT_EQ(driver.Frame(), 0);
    EXPECT_EQ(journal, (std::vector<std::string>{"update 0 pass 0", "draw 0 pass 0", "update 1 pass 0",
                                                 "draw 1 pass 0", "update 0 pass 1", "draw 0 pass 1",
                                                 "update 1 pass 1", "draw 1 pass 1"}));
}

TEST_F(DemoDriverTest, DisabledEffectIsUpdatedButNotDrawn)
{
    ManualClock clock(0);
    WriteScript("=0 Set scene.0.RUN\n=100 Set scene.1.RUN\n=300 Set scene.1.STOP\n");
    DemoDriver driver;
    driver.SetIntro(false);
    Add(driver);
    RecordingEffect& second = Add(driver);
    driver.SetPassCount(2);
    ASSERT_EQ(driver.Init(), 0);
    journal.clear();
    clock.Advance(50);
    driver.Frame();
    EXPECT_EQ(journal, (std::vector<std::string>{"update 0 pass 0", "draw 0 pass 0", "update 1 pass 0",
                                                 "update 0 pass 1", "draw 0 pass 1", "update 1 pass 1"}));
    clock.Advance(100);
    driver.Frame();
    clock.Advance(200);
    journal.clear();
    driver.Frame();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "draw 1 pass 0"), 0);
    // Each pass updates with the whole frame time.
    EXPECT_EQ(second.clock, 2u * (50 + 100 + 200));
}

TEST_F(DemoDriverTest, PatternStepReachesOnlyTheFirstPassOfEachEffect)
{
    ManualClock clock(0);
    WriteScript(std::string(kTwoRunningEffects) + "DefinePattern 0 x...\n=0 UsePattern 0\n");
    DemoDriver driver;
    driver.SetIntro(false);
    RecordingEffect& first = Add(driver);
    RecordingEffect& second = Add(driver);
    driver.SetPassCount(2);
    ASSERT_EQ(driver.Init(), 0);
    for (int frame = 0; frame < 10; ++frame) {
        clock.Advance(100);
        driver.Frame();
    }
    ASSERT_FALSE(first.steps.empty());
    for (const RecordingEffect* effect : {&first, &second}) {
        EXPECT_EQ(effect->steps.size(), first.steps.size());
        for (const RecordingEffect::Step& step : effect->steps) {
            EXPECT_EQ(step.character, 'x');
            EXPECT_EQ(step.pass, 0);
        }
    }
    EXPECT_EQ(driver.GetTimeline().Params(0).flags[kPatternStepFlag], 0);
}

TEST_F(DemoDriverTest, FirstFrameMeasuresFromTheEndOfInitAndSurvivesTheClockWrap)
{
    ManualClock clock(0xFFFFFF00u);
    WriteScript(kTwoRunningEffects);
    DemoDriver driver;
    driver.SetIntro(false);
    RecordingEffect& effect = Add(driver);
    driver.SetPassCount(1);
    ASSERT_EQ(driver.Init(), 0);
    clock.Advance(0x40); // still before the wrap
    driver.Frame();
    EXPECT_EQ(effect.lastDt, 0x40u);
    clock.Set(0x10); // wrapped: 0xC0 to the wrap, then 0x10
    driver.Frame();
    EXPECT_EQ(effect.lastDt, 0xD0u);
}

TEST_F(DemoDriverTest, StartUpShowsTheDisclaimerPausesAndStartsTheClockAfterwards)
{
    ManualClock clock(0);
    WriteScript(std::string(kTwoRunningEffects) + "// a comment\n");
    DemoDriver driver;
    RecordingEffect& effect = Add(driver);
    driver.SetPassCount(1);
    ASSERT_EQ(driver.Init(), 0);
    // 101 fade-in frames, the one-second pause, 101 fade-out frames.
    EXPECT_EQ(clock.sleeps.size(), 203u);
    EXPECT_EQ(std::count(clock.sleeps.begin(), clock.sleeps.end(), 1000u), 1);
    EXPECT_TRUE(effect.HasRegistryAndHelper());
    clock.Advance(20);
    driver.Frame();
    EXPECT_EQ(effect.lastDt, 20u);
}

TEST_F(DemoDriverTest, FinishingFrameIsStillDrawn)
{
    ManualClock clock(0);
    WriteScript(std::string(kTwoRunningEffects) + "End =100\n");
    DemoDriver driver;
    driver.SetIntro(false);
    Add(driver);
    driver.SetPassCount(2);
    ASSERT_EQ(driver.Init(), 0);
    clock.Advance(60);
    EXPECT_EQ(driver.Frame(), 0);
    journal.clear();
    clock.Advance(60);
    EXPECT_EQ(driver.Frame(), 2);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "draw 0 pass 1"), 1);
}

TEST_F(DemoDriverTest, ThirdOfSixFailingInitStopsThereWithNothingUndone)
{
    ManualClock clock(0);
    WriteScript(kTwoRunningEffects);
    DemoDriver driver;
    for (int i = 0; i < 6; ++i)
        Add(driver);
    effects[2]->initResult = 1;
    driver.SetPassCount(2);
    EXPECT_EQ(driver.Init(), 1);
    EXPECT_EQ(journal, (std::vector<std::string>{"init 0", "init 1", "init 2"}));
    // No fade-out and no pause after the failure: only the fade-in slept.
    EXPECT_EQ(clock.sleeps.size(), 101u);
}

TEST_F(DemoDriverTest, ScriptFaultsFailInitAfterOneBoxPerLine)
{
    ManualClock clock(0);
    WriteScript("Bogus line\n=0 Set scene.1.int.0 1\n");
    DemoDriver driver;
    driver.SetIntro(false);
    Add(driver);
    EXPECT_EQ(driver.Init(), 1);
    EXPECT_EQ(boxes.boxes.size(), 2u);
    EXPECT_TRUE(journal.empty());
}

TEST_F(DemoDriverTest, MissingScriptFailsInitWithoutABox)
{
    ManualClock clock(0);
    DemoDriver driver;
    driver.SetIntro(false);
    EXPECT_EQ(driver.Init(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(DemoDriverTest, UninitStopsAtTheFirstFailure)
{
    DemoDriver driver;
    for (int i = 0; i < 4; ++i)
        Add(driver);
    effects[1]->uninitResult = 1;
    EXPECT_EQ(driver.Uninit(), 1);
    EXPECT_EQ(journal, (std::vector<std::string>{"uninit 0", "uninit 1"}));
}

TEST_F(DemoDriverTest, SixtyFifthEffectIsIgnored)
{
    DemoDriver driver;
    for (int i = 0; i < 65; ++i)
        Add(driver);
    EXPECT_EQ(driver.EffectCount(), 64);
    EXPECT_EQ(driver.Uninit(), 0);
    EXPECT_EQ(journal.size(), 64u);
}

TEST_F(DemoDriverTest, FramesAllocateNothing)
{
    ManualClock clock(0);
    WriteScript(std::string(kTwoRunningEffects) + "DefinePattern 0 x.y.\n=0 UsePattern 0\n"
                                                  "=0 Fade scene.1.dbl.0 from 0 to 1 time =5000\n");
    DemoDriver driver;
    driver.SetIntro(false);
    for (int i = 0; i < 6; ++i) {
        RecordingEffect& effect = Add(driver);
        effect.recording = false;
        effect.steps.reserve(1000);
    }
    driver.SetPassCount(2);
    ASSERT_EQ(driver.Init(), 0);
    const long before = g_allocations.load();
    for (int frame = 0; frame < 100; ++frame) {
        clock.Advance(17);
        driver.Frame();
    }
    EXPECT_EQ(g_allocations.load() - before, 0);
}
