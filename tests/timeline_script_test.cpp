// Reading timeline scripts: words, numbers, times, defines, commands, faults.
#include "demo/CNumbers.h"
#include "support/RecordingTimelineHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

std::vector<std::string> FaultMessages(const TestTimelineHost& host)
{
    std::vector<std::string> messages;
    for (const auto& fault : host.faults)
        messages.push_back(fault.message);
    return messages;
}

// Loads one script line and expects exactly one fault with this message.
void ExpectSingleFault(const std::string& line, const std::string& message)
{
    ScriptedTimeline t;
    EXPECT_FALSE(t.Load(line)) << line;
    ASSERT_EQ(t.host.faults.size(), 1u) << line;
    EXPECT_EQ(t.host.faults[0].message, message) << line;
}

TEST(TimelineWords, TrimRemovesBlanksTabsAndNewlinesAtBothEnds)
{
    std::string text = " \t a b \n\t";
    Timeline::Trim(text);
    EXPECT_EQ(text, "a b");
    std::string blanks = " \t\n ";
    Timeline::Trim(blanks);
    EXPECT_EQ(blanks, "");
    std::string carriageReturn = "x\r";
    Timeline::Trim(carriageReturn);
    EXPECT_EQ(carriageReturn, "x\r");
}

TEST(TimelineWords, SplitTokenCutsAtTheFirstDelimiterAndTrims)
{
    std::string word, rest = "Set   scene.1.RUN  ";
    Timeline::SplitToken(word, ' ', rest);
    EXPECT_EQ(word, "Set");
    EXPECT_EQ(rest, "scene.1.RUN");

    rest = "a..b";
    Timeline::SplitToken(word, '.', rest);
    EXPECT_EQ(word, "a");
    EXPECT_EQ(rest, ".b");
    Timeline::SplitToken(word, '.', rest);
    EXPECT_EQ(word, "");
    EXPECT_EQ(rest, "b");
    Timeline::SplitToken(word, '.', rest);
    EXPECT_EQ(word, "b");
    EXPECT_EQ(rest, "");

    rest = "  Set x";
    Timeline::SplitToken(word, ' ', rest);
    EXPECT_EQ(word, "");
    EXPECT_EQ(rest, "Set x");
}

TEST(TimelineNumbers, ConvertAsTheCRuntime)
{
    EXPECT_EQ(CAtoi(" \t-12abc"), -12);
    EXPECT_EQ(CAtoi("+7"), 7);
    EXPECT_EQ(CAtoi("abc"), 0);
    EXPECT_EQ(CAtoi(""), 0);
    EXPECT_EQ(CAtoi("99999999999"), INT32_MAX);
    EXPECT_EQ(CAtoi("-99999999999"), INT32_MIN);
    EXPECT_EQ(CAtol("-2147483648"), INT32_MIN);
    EXPECT_DOUBLE_EQ(CAtof("2.5e1x"), 25.0);
    EXPECT_DOUBLE_EQ(CAtof(" -.5"), -0.5);
    EXPECT_DOUBLE_EQ(CAtof("3."), 3.0);
    EXPECT_DOUBLE_EQ(CAtof("1e"), 1.0);
    EXPECT_EQ(CAtof("inf"), 0.0);
    EXPECT_EQ(CAtof("nan"), 0.0);
    EXPECT_EQ(CAtof("0x10"), 0.0);
    EXPECT_EQ(CAtof("-.e3"), 0.0);
}

TEST(TimelineTimes, PositionsBeatsAndMilliseconds)
{
    ScriptedTimeline t;
    EXPECT_EQ(t->ParseTime("#1.2"), 2880u);
    EXPECT_EQ(t->ParseTime("=2880"), 2880u);
    EXPECT_EQ(t->ParseTime("#4"), 7680u);
    EXPECT_EQ(t->ParseTime("#3.2.5"), 3u * 1920 + 1200);
    EXPECT_EQ(t->ParseTime("#0.0.7"), 336u); // the beat is "0.7"
    EXPECT_EQ(t->ParseTime("#0.1.9"), 912u);
    EXPECT_EQ(t->ParseTime("#-1.0"), static_cast<uint32_t>(-1920));
    EXPECT_EQ(t->ParseTime("=-5"), 4294967291u);
    EXPECT_EQ(t->ParseTime("1000"), 0u);
    EXPECT_EQ(t->ParseTime(""), 0u);
    EXPECT_EQ(t->ParseTime("#"), 0u);
    EXPECT_EQ(t->ParseTime("#0.1e30"), 0u); // far beyond 32 bits: the low bits of a multiple of 2^32
    EXPECT_EQ(t->ParseTime("#0.0.25"), 120u);
    EXPECT_EQ(t->ParseTime("#0.0.001"), 0u); // 0.48 truncated
    EXPECT_EQ(t->ParseTime("#-0.0.001"), 0u);
    EXPECT_EQ(t->ParseTime("#0.-0.5"), static_cast<uint32_t>(-240));
}

TEST(TimelineTimes, TempoChangesOnlyLaterLines)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("#1.0 Trig scene.0.bool.1 1\n"
                       "LoadMusic song.ogg 130 4\n"
                       "#1.0 Trig scene.0.bool.1 1\n"));
    EXPECT_EQ(t.Event(0).start, 1920u);
    EXPECT_EQ(t.Event(1).start, 1844u);
    EXPECT_EQ(t->MsPerBeat(), 461.0);
    EXPECT_EQ(t->MsPerPosition(), 1844.0);
}

TEST(TimelineTimes, SetTempoUsesTheIntegerQuotientAndSinglePrecisionSteps)
{
    ScriptedTimeline t;
    EXPECT_EQ(t->MsPerBeat(), 480.0);
    EXPECT_EQ(t->MsPerPosition(), 1920.0);
    EXPECT_EQ(t->StepsPerMs(), static_cast<float>((1.0 / 480.0) * 4.0));

    t->SetTempo(130, 0);
    EXPECT_EQ(t->MsPerBeat(), 461.0);
    EXPECT_EQ(t->MsPerPosition(), 4 * 461.0);
    EXPECT_EQ(t->StepsPerMs(), static_cast<float>((1.0 / 461.0) * 4.0));

    t->SetTempo(100, 3);
    EXPECT_EQ(t->MsPerPosition(), 1800.0);

    t->SetTempo(0, 4);
    t->SetTempo(-5, 4);
    EXPECT_EQ(t->MsPerBeat(), 600.0);
    EXPECT_EQ(FaultMessages(t.host), (std::vector<std::string>{"Invalid BPM", "Invalid BPM"}));
}

TEST(TimelineLines, EmptyAndCommentLinesDoNothingButCount)
{
    ScriptedTimeline t;
    CountingProgress progress;
    t->SetProgressListener(&progress);
    ASSERT_TRUE(t.Load("\n// comment\n#4.0 // comment\n/* x\n/\n#4.0\n"));
    EXPECT_EQ(t->EventCount(), 0);
    EXPECT_TRUE(t.host.faults.empty());
    EXPECT_EQ(progress.calls, 7); // the last line break ends in one more, empty line
}

TEST(TimelineLines, LeadingBlankIsASyntaxErrorLeadingTabIsNot)
{
    ScriptedTimeline t;
    EXPECT_FALSE(t.Load("// first\n  Set scene.1.RUN\n\t=0 Set scene.1.RUN\n \t\n"));
    ASSERT_EQ(t.host.faults.size(), 2u);
    EXPECT_EQ(t.host.faults[0].message, "Syntax error");
    EXPECT_EQ(t.host.faults[0].line, 2);
    EXPECT_EQ(t.host.faults[0].fullText, "Syntax error on line 2:\n  Set scene.1.bool.0 true");
    EXPECT_EQ(t.host.faults[1].line, 4);
    ASSERT_EQ(t->EventCount(), 1);
    EXPECT_EQ(t.Event(0).effect, 1);
    EXPECT_EQ(t.Event(0).boolValue, 1);
}

TEST(TimelineLines, CrLfIsALineEndALoneCrIsTextAndCtrlZEndsTheText)
{
    ScriptedTimeline t;
    CountingProgress progress;
    t->SetProgressListener(&progress);
    ASSERT_TRUE(t.Load("=0 Set scene.1.bool.1 true\r\n=0 Set scene.1.bool.2 true\r\n"));
    ASSERT_EQ(t->EventCount(), 2);
    EXPECT_EQ(t.Event(0).boolValue, 1);
    EXPECT_EQ(t.Event(1).boolValue, 1);
    EXPECT_EQ(progress.calls, 3);

    ScriptedTimeline lone;
    ASSERT_TRUE(lone.Load("=0 Set scene.1.bool.1 true\r"));
    EXPECT_EQ(lone.Event(0).boolValue, 0);

    ScriptedTimeline ended;
    CountingProgress endedProgress;
    ended->SetProgressListener(&endedProgress);
    EXPECT_TRUE(ended.Load("=0 Set scene.1.RUN\r\n=0 Set scene.2.RUN\x1A\r\nnot read\n"));
    EXPECT_EQ(ended->EventCount(), 2);
    EXPECT_EQ(endedProgress.calls, 2);
}

TEST(TimelineLines, UnknownWordsAndCaseAreSyntaxErrors)
{
    ExpectSingleFault("set scene.1.RUN", "Syntax error");
    ExpectSingleFault("Bogus", "Syntax error");
    ExpectSingleFault("=0 SET scene.1.RUN", "Syntax error");
}

TEST(TimelineLines, ALaterTimeReplacesAnEarlierOneAndCommandsWithoutTimeAcceptOne)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("=5 =7 Set scene.1.dbl.0 1\n=5 DefinePattern 1 x\n=9 Goto =100\n=9 End =200\n=3\n"));
    EXPECT_EQ(t.Event(0).start, 7u);
    EXPECT_EQ(t->GetPattern(1).length, 1);
    EXPECT_EQ(t->StartTime(), 100u);
    EXPECT_EQ(t->EndTime(), 200u);
}

TEST(TimelineLines, LongLinesAreFaultsAndTheirRestIsNotALine)
{
    const std::string longest = "//" + std::string(253, 'x');
    ScriptedTimeline fits;
    EXPECT_TRUE(fits.Load(longest + "\n=0 Set scene.0.RUN\n"));
    EXPECT_EQ(fits->EventCount(), 1);

    ScriptedTimeline t;
    CountingProgress progress;
    t->SetProgressListener(&progress);
    EXPECT_FALSE(t.Load(longest + "x" + "=0 Set scene.5.RUN\r\n=0 Set scene.0.RUN"));
    ASSERT_EQ(t.host.faults.size(), 1u);
    EXPECT_EQ(t.host.faults[0].message, "Line too long");
    EXPECT_EQ(t.host.faults[0].line, 1);
    EXPECT_EQ(t.host.faults[0].lineText, longest);
    ASSERT_EQ(t->EventCount(), 1);
    EXPECT_EQ(t.Event(0).effect, 0);
    EXPECT_EQ(progress.calls, 2);
}

TEST(TimelineLines, ANulEndsTheLineText)
{
    ScriptedTimeline t;
    const char text[] = "=0 Set scene.1.bool.1 true\0junk\n=0 Set scene.2.RUN";
    const std::string script(text, sizeof(text) - 1);
    ASSERT_TRUE(t.Load(script));
    ASSERT_EQ(t->EventCount(), 2);
    EXPECT_EQ(t.Event(0).boolValue, 1);
}

TEST(TimelineLines, TooManyEventsStopAtTheTable)
{
    std::string script;
    for (int i = 0; i < 1002; ++i)
        script += "=" + std::to_string(i) + " Set scene.1.lng.0 " + std::to_string(i) + "\n";
    ScriptedTimeline t;
    EXPECT_FALSE(t.Load(script));
    EXPECT_EQ(t->EventCount(), Timeline::kMaxEvents);
    ASSERT_EQ(t.host.faults.size(), 2u);
    EXPECT_EQ(t.host.faults[0].message, "Too many events");
    EXPECT_EQ(t.host.faults[0].line, 1001);
    EXPECT_EQ(t.host.faults[1].line, 1002);
    EXPECT_EQ(t.Event(999).lngValue, 999);
}

TEST(TimelineSet, RecordsTypedEvents)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("=0 Set scene.1.dbl.0 0.5\n"
                       "=500 Set scene.1.bool.3 yes\n"
                       "=7 Set scene.12.lng.4 -42x\n"
                       "=8 Set scene.2.dbl.3\n"
                       "#8.0 Set scene.3.STOP\n"));
    ASSERT_EQ(t->EventCount(), 5);
    const TimelineEvent& dbl = t.Event(0);
    EXPECT_EQ(dbl.kind, EventKind::Set);
    EXPECT_EQ(dbl.valueType, ValueType::Dbl);
    EXPECT_EQ(dbl.effect, 1);
    EXPECT_EQ(dbl.start, 0u);
    EXPECT_EQ(dbl.end, 0u);
    EXPECT_EQ(dbl.dblValue, 0.5);
    EXPECT_EQ(t.Event(1).valueType, ValueType::Bool);
    EXPECT_EQ(t.Event(1).boolValue, 0);
    EXPECT_EQ(t.Event(1).index, 3);
    EXPECT_EQ(t.Event(2).valueType, ValueType::Lng);
    EXPECT_EQ(t.Event(2).lngValue, -42);
    EXPECT_EQ(t.Event(2).effect, 12);
    EXPECT_EQ(t.Event(3).dblValue, 0.0);
    EXPECT_EQ(t.Event(4).start, 15360u);
    EXPECT_EQ(t.Event(4).boolValue, 0);
}

TEST(TimelineSet, FaultsOfSetAndTrig)
{
    ExpectSingleFault("Set scene.1.dbl.0 0.5", "Invalid time");
    ExpectSingleFault("=-5 Set scene.1.dbl.0 0.5", "Invalid time");
    ExpectSingleFault("=500 Set scene.1.dbl 1", "Missing index");
    ExpectSingleFault("=500 Set scene.1.int.0 1", "Invalid parameter");
    ExpectSingleFault("=500 Set stage.1.dbl.0 1", "Invalid identifier");
    ExpectSingleFault("=500 Set scene..dbl.0 1", "Invalid identifier");
    ExpectSingleFault("=500 Set scene.1 1", "Invalid identifier");
    ExpectSingleFault("=500 Trig scene.1.int.0 1", "Invalid parameter");
    ExpectSingleFault("Trig scene.1.dbl 1", "Missing index");

    // A fault of the typed part still takes a record; one of the identifier does not.
    ScriptedTimeline t;
    EXPECT_FALSE(t.Load("=500 Set scene.1.dbl 1\n=500 Set stage.1.dbl.0 1\n"));
    EXPECT_EQ(t->EventCount(), 1);
}

TEST(TimelineSet, TriggersAndSwitchesWithoutATimeNeverFire)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("Trig scene.4.bool.2 1\nUsePattern 3\nDisablePattern\nFade scene.1.dbl.0 from 0 to 1 time =5\n"));
    ASSERT_EQ(t->EventCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(t.Event(i).start, Timeline::kNoTime);
    EXPECT_EQ(t.Event(0).kind, EventKind::Trigger);
    EXPECT_EQ(t.Event(0).index, 2);
    EXPECT_EQ(t.Event(1).kind, EventKind::PatternSwitch);
    EXPECT_EQ(t.Event(1).lngValue, 3);
    EXPECT_EQ(t.Event(2).lngValue, -1);
    EXPECT_EQ(t.Event(3).end, 4u); // wraps
}

TEST(TimelineFade, RecordsRateFromAndSpan)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("#8.0 Fade scene.2.dbl.0 from 0.0 to 1.0 time #1.0\n"
                       "=0 Fade scene.1.dbl.12 from 0 to 1 time =1000\n"
                       "=0 Fade stage.1.dbl.2 from 4 to 1 time =1000\n"
                       "=0 Fade scene.1.dbl.0 from 0 to 1 time 1000\n"));
    const TimelineEvent& fade = t.Event(0);
    EXPECT_EQ(fade.kind, EventKind::Fade);
    EXPECT_EQ(fade.effect, 2);
    EXPECT_EQ(fade.start, 15360u);
    EXPECT_EQ(fade.end, 15360u + 1920u);
    EXPECT_EQ(fade.fadeFrom, 0.0);
    EXPECT_EQ(fade.dblValue, 1.0 / 1920.0);
    EXPECT_EQ(t.Event(1).index, 0);
    EXPECT_EQ(t.Event(2).index, 2);
    EXPECT_EQ(t.Event(2).dblValue, (1.0 - 4.0) / 1000.0);
    // No duration: the record keeps the value it jumps to.
    EXPECT_EQ(t.Event(3).end, t.Event(3).start);
    EXPECT_EQ(t.Event(3).dblValue, 1.0);
}

TEST(TimelineFade, FaultsInOrder)
{
    ExpectSingleFault("=0 Fade .1.dbl.0 from 0 to 1 time =1", "Missing identifier");
    ExpectSingleFault("=0 Fade scene", "Missing identifier");
    ExpectSingleFault("=0 Fade scene.1 from 0 to 1 time =1", "Missing parameter");
    ExpectSingleFault("=0 Fade scene.1.dbl.0", "Missing from attribute");
    ExpectSingleFault("=0 Fade scene.1.dbl.0 from 0", "Missing to attribute");
    ExpectSingleFault("=0 Fade scene.1.dbl.0 from 0 to 1", "Missing time attribute");
    ExpectSingleFault("=0 Fade scene.1.lng.0 from 0 to 1 time =5", "Invalid parameter");
}

TEST(TimelinePatterns, DefineAndUse)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("DefinePattern 0 x.x. y\n=0 UsePattern\nDefinePattern 4 " + std::string(140, 'z') + "\n"));
    const Pattern& pattern = t->GetPattern(0);
    ASSERT_EQ(pattern.length, 6);
    EXPECT_EQ(std::string(pattern.steps, 6), std::string("x\0x\0 y", 6));
    EXPECT_EQ(t->GetPattern(4).length, 128);
    EXPECT_EQ(t.Event(0).lngValue, 0);

    ScriptedTimeline cleared;
    ASSERT_TRUE(cleared.Load("DefinePattern 0 abc\nDefinePattern\n"));
    EXPECT_EQ(cleared->GetPattern(0).length, 0);
    EXPECT_EQ(cleared->GetPattern(0).steps[0], 0);

    ExpectSingleFault("DefinePattern 20 x...", "Pattern id out of range");
    ExpectSingleFault("DefinePattern -1 x", "Pattern id out of range");
    ExpectSingleFault("=0 UsePattern 20", "Pattern id out of range");
}

TEST(TimelineDefines, BuiltInsAndExpansionOrder)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("#8.0 Set scene.3.RUN\n"
                       "=1 Set scene.3.RUNNING true\n"
                       "=2 Set scene.3.STOP\n"
                       "Define ONE=TWO\n"
                       "Define TWO=2\n"
                       "=3 Set scene.ONE.dbl.0 1\n"));
    ASSERT_EQ(t->EventCount(), 4);
    EXPECT_EQ(t.Event(0).valueType, ValueType::Bool);
    EXPECT_EQ(t.Event(0).boolValue, 1);
    EXPECT_EQ(t.Event(1).valueType, ValueType::Bool);
    EXPECT_EQ(t.Event(1).index, 0);
    EXPECT_EQ(t.Event(1).boolValue, 1);
    EXPECT_EQ(t.Event(2).boolValue, 0);
    EXPECT_EQ(t.Event(3).effect, 2); // ONE gave TWO, which is rescanned later
}

TEST(TimelineDefines, NamesMatchInsideWordsAndCannotBeRedefined)
{
    ScriptedTimeline t;
    ASSERT_TRUE(t.Load("Define FOO=bar baz\nDefine FOO=qux\n"));
    EXPECT_EQ(t->Defines().at("FOO"), "bar");
    EXPECT_EQ(t->Defines().at("bar"), "qux");

    ScriptedTimeline inside;
    ASSERT_TRUE(inside.Load("Define N=7\n=0 Set scene.N.dbl.0 1\n=0 Set scene.1N.dbl.0 1\n"));
    EXPECT_EQ(inside.Event(0).effect, 7);
    EXPECT_EQ(inside.Event(1).effect, 17);

    ExpectSingleFault("Define FOO", "Invalid define line");
    ExpectSingleFault("Define =x", "Invalid define line");
    ExpectSingleFault("Define FOO=", "Invalid define line");
}

TEST(TimelineDefines, RunawayExpansionIsAFaultAndTheLineIsSkipped)
{
    ScriptedTimeline t;
    EXPECT_FALSE(t.Load("Define LOOP=xLOOP\n=0 Set scene.1.dbl.0 LOOP\n=0 Set scene.2.RUN\n"));
    ASSERT_EQ(t.host.faults.size(), 1u);
    EXPECT_EQ(t.host.faults[0].message, "Define expansion too long");
    EXPECT_EQ(t.host.faults[0].line, 2);
    ASSERT_EQ(t->EventCount(), 1);
    EXPECT_EQ(t.Event(0).effect, 2);
}

TEST(TimelineDefines, TheirNumberIsBounded)
{
    std::string script;
    char line[32];
    for (int i = 1; i <= 1030; ++i) {
        std::snprintf(line, sizeof(line), "Define N%04dX=v\n", i);
        script += line;
    }
    ScriptedTimeline t;
    EXPECT_FALSE(t.Load(script + "LoadImage a a.png\n"));
    EXPECT_EQ(t->Defines().size(), Timeline::kMaxDefines + 1); // _IMG_DIR is always entered
    ASSERT_EQ(t.host.faults.size(), 1030u + 3u - Timeline::kMaxDefines);
    EXPECT_EQ(t.host.faults[0].message, "Too many defines");
    EXPECT_EQ(t.host.faults[0].line, 1022);
}

TEST(TimelineResources, LoadImageUsesTheImageDirectory)
{
    // The first LoadImage enters _IMG_DIR empty, so the Define loses its name.
    ScriptedTimeline t;
    EXPECT_FALSE(t.Load("LoadImage noise noise.png\nDefine _IMG_DIR=data/png/\nLoadImage logo\n"));
    EXPECT_EQ(t->Defines().at("_IMG_DIR"), "");
    EXPECT_EQ(t.host.pictures[0].path, "noise.png");
    EXPECT_EQ(FaultMessages(t.host), (std::vector<std::string>{"Invalid define line", "Missing image handle or filename"}));

    ScriptedTimeline d;
    ASSERT_TRUE(d.Load("Define _IMG_DIR=data/png/\nLoadImage logo logo.png repeat\nLoadImage pic1 a.bmp clamp\n"));
    ASSERT_EQ(d.host.pictures.size(), 2u);
    EXPECT_EQ(d.host.pictures[0].handle, "logo");
    EXPECT_EQ(d.host.pictures[0].path, "data/png/logo.png");
    EXPECT_EQ(d.host.pictures[0].wrapMode, 0x2901);
    EXPECT_EQ(d.host.pictures[1].path, "data/png/a.bmp");
    EXPECT_EQ(d.host.pictures[1].wrapMode, 0x2900);
}

TEST(TimelineResources, LoadMusicSetsTheTempoAndOpensTheStream)
{
    ScriptedTimeline t;
    EXPECT_FALSE(t.Load("Define _MUSIC_DIR=data/music/\nLoadMusic tune.ogg\nLoadMusic\nLoadMusic b.ogg 100 3\n"));
    EXPECT_EQ(FaultMessages(t.host), (std::vector<std::string>{"Invalid BPM", "Missing filename"}));
    EXPECT_EQ(t.host.music, (std::vector<std::string>{"data/music/tune.ogg", "data/music/b.ogg"}));
    EXPECT_EQ(t->MsPerBeat(), 600.0);
    EXPECT_EQ(t->MsPerPosition(), 1800.0);
}

TEST(TimelineResources, GotoAndEnd)
{
    ScriptedTimeline t;
    EXPECT_EQ(t->EndTime(), 0xFFFFFFFFu);
    ASSERT_TRUE(t.Load("Goto =10000\nEnd #16.0\n"));
    EXPECT_EQ(t->StartTime(), 10000u);
    EXPECT_EQ(t->EndTime(), 30720u);
    ASSERT_TRUE(t.Load("Goto\nEnd\n"));
    EXPECT_EQ(t->StartTime(), 0u);
    EXPECT_EQ(t->EndTime(), 0u);
}

TEST(TimelineFiles, LoadReadsAFileAndAMissingFileFailsQuietly)
{
    ScriptedTimeline none;
    CountingProgress progress;
    none->SetProgressListener(&progress);
    EXPECT_TRUE(none->LoadFromMemory(nullptr, 0, nullptr));
    EXPECT_EQ(progress.calls, 1); // an empty text is one empty line

    ScriptedTimeline missing;
    EXPECT_FALSE(missing->Load("/nonexistent/dir/script.txt", nullptr));
    EXPECT_TRUE(missing.host.faults.empty());

    const auto path = std::filesystem::temp_directory_path() / ("timeline_script_test_" + std::to_string(::getpid()));
    {
        std::ofstream file(path, std::ios::binary);
        file << "=0 Set scene.1.dbl.0 0.5\r\n  bad\r\n";
    }
    ScriptedTimeline t;
    EXPECT_FALSE(t->Load(path.string().c_str(), nullptr));
    std::filesystem::remove(path);
    ASSERT_EQ(t->EventCount(), 1);
    ASSERT_EQ(t.host.faults.size(), 1u);
    EXPECT_EQ(t.host.faults[0].line, 2);
    EXPECT_EQ(t.host.faults[0].lineText, "  bad");
}

} // namespace
