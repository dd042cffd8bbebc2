// demotool check, events, trace and params, run as the user runs them.
#include "app/ShowLineup.h"
#include "effects/EffectParameters.h"
#include "tests/support/ShellRun.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

ToolRun Demotool(const std::string& arguments, bool mergeErrors = false)
{
    return RunShell(std::string(DEMOTOOL_PATH) + " " + arguments + (mergeErrors ? " 2>&1" : " 2>/dev/null"));
}

// The pictures that the effects need at start-up, all read from `path`.
std::string NeededPictures(const std::string& path)
{
    std::string lines;
    for (const char* name : {"envmap", "noise", "logo", "lumora", "pic1", "pic2", "pic3", "pic4", "pic5", "pic6"})
        lines += std::string("LoadImage ") + name + " " + path + "\n";
    return lines;
}

class DemotoolScript : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("demotool_script_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Write(const std::string& name, const std::string& text)
    {
        const std::filesystem::path path = dir / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    std::filesystem::path dir;
};

TEST_F(DemotoolScript, EventsListsFaultsEventsAndTheSummary)
{
    const std::string script = Write("events.txt", "=0 Set scene.1.dbl.0 0.5\n"
                                                   "  Set scene.1.bool.0 true\n"
                                                   "=100 Fade scene.2.dbl.1 from 1 to 2 time =4\n"
                                                   "=7 Trig scene.3.bool.2 1\n"
                                                   "DefinePattern 0 x\n"
                                                   "=0 UsePattern 0\n"
                                                   "=9 DisablePattern\n"
                                                   "End #1.0\n"
                                                   "  \"q\\\t\n");
    const ToolRun run = Demotool("events " + script);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "{\"fault\":\"Syntax error\",\"line\":2,\"text\":\"  Set scene.1.bool.0 true\"}\n"
              "{\"fault\":\"Syntax error\",\"line\":9,\"text\":\"  \\\"q\\\\\\u0009\"}\n"
              "{\"i\":0,\"effect\":1,\"start\":0,\"end\":0,\"kind\":\"Set\",\"type\":\"Dbl\",\"dbl\":0.5,\"lng\":0,"
              "\"bool\":0,\"from\":0,\"index\":0}\n"
              "{\"i\":1,\"effect\":2,\"start\":100,\"end\":104,\"kind\":\"Fade\",\"type\":\"Dbl\",\"dbl\":0.25,"
              "\"lng\":0,\"bool\":0,\"from\":1,\"index\":1}\n"
              "{\"i\":2,\"effect\":3,\"start\":7,\"end\":7,\"kind\":\"Trigger\",\"type\":\"Bool\",\"dbl\":0,\"lng\":0,"
              "\"bool\":0,\"from\":0,\"index\":2}\n"
              "{\"i\":3,\"effect\":0,\"start\":0,\"end\":0,\"kind\":\"PatternSwitch\",\"type\":\"Dbl\",\"dbl\":0,"
              "\"lng\":0,\"bool\":0,\"from\":0,\"index\":0}\n"
              "{\"i\":4,\"effect\":0,\"start\":9,\"end\":9,\"kind\":\"PatternSwitch\",\"type\":\"Dbl\",\"dbl\":0,"
              "\"lng\":-1,\"bool\":0,\"from\":0,\"index\":0}\n"
              "{\"ok\":false,\"events\":5,\"start\":0,\"end\":1920,\"msPerBeat\":480,\"msPerPosition\":1920}\n");
}

TEST_F(DemotoolScript, EventsOfACleanScriptAndDoublesInFull)
{
    const std::string script = Write("clean.txt", "LoadMusic a.ogg 130\n=0 Set scene.1.dbl.9 0.1\n"
                                                  "=0 Set scene.1.dbl.0 1e400\n"
                                                  "=0 Fade scene.1.dbl.1 from -1e400 to 1e400 time =10\n");
    const ToolRun run = Demotool("events " + script);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "{\"i\":0,\"effect\":1,\"start\":0,\"end\":0,\"kind\":\"Set\",\"type\":\"Dbl\","
              "\"dbl\":0.10000000000000001,\"lng\":0,\"bool\":0,\"from\":0,\"index\":9}\n"
              "{\"i\":1,\"effect\":1,\"start\":0,\"end\":0,\"kind\":\"Set\",\"type\":\"Dbl\","
              "\"dbl\":\"inf\",\"lng\":0,\"bool\":0,\"from\":0,\"index\":0}\n"
              "{\"i\":2,\"effect\":1,\"start\":0,\"end\":10,\"kind\":\"Fade\",\"type\":\"Dbl\","
              "\"dbl\":\"inf\",\"lng\":0,\"bool\":0,\"from\":\"-inf\",\"index\":1}\n"
              "{\"ok\":true,\"events\":3,\"start\":0,\"end\":4294967295,\"msPerBeat\":461,\"msPerPosition\":1844}\n");
    // Half way the fade adds an infinite step to an infinite start.
    EXPECT_EQ(Demotool("trace " + script + " 5").out,
              "{\"t\":5,\"step\":0,\"blocks\":{\"1\":{\"dbl\":[\"inf\",\"nan\",0,0,0,0,0,0,0,0.10000000000000001],"
              "\"lng\":[0,0,0,0,0],\"flags\":[0,0,0,0,0,0,0,0,0,0,0,0]}}}\n");
}

TEST_F(DemotoolScript, TracePrintsTheBlocksThatHoldAnything)
{
    const std::string script = Write("trace.txt", "=0 Set scene.1.dbl.0 0.5\n"
                                                  "=0 Set scene.7.lng.2 3\n"
                                                  "DefinePattern 0 x...\n"
                                                  "=0 UsePattern 0\n"
                                                  "=200 Trig scene.0.bool.4 1\n");
    const ToolRun run = Demotool("trace " + script + " 0,120,100,20");
    EXPECT_EQ(run.status, 0);
    const std::string zeros10 = "[0,0,0,0,0,0,0,0,0,0]";
    const std::string block1 = "\"1\":{\"dbl\":[0.5,0,0,0,0,0,0,0,0,0],\"lng\":[0,0,0,0,0],\"flags\":";
    const std::string block7 = "\"7\":{\"dbl\":" + zeros10 + ",\"lng\":[0,0,3,0,0],\"flags\":";
    const std::string noFlags = "[0,0,0,0,0,0,0,0,0,0,0,0]";
    const std::string xFlag = "[0,0,0,0,0,0,0,0,0,0,120,0]";
    const std::string block0 = "\"0\":{\"dbl\":" + zeros10 + ",\"lng\":[0,0,0,0,0],\"flags\":[0,0,0,0,1,0,0,0,0,0,0,0]}";
    // Blocks past the driver's six keep the last step until another differs.
    EXPECT_EQ(run.out, "{\"t\":0,\"step\":0,\"blocks\":{" + block1 + noFlags + "}," + block7 + noFlags + "}}}\n" +
                           "{\"t\":120,\"step\":120,\"blocks\":{" + block1 + xFlag + "}," + block7 + xFlag + "}}}\n" +
                           "{\"t\":220,\"step\":0,\"blocks\":{" + block0 + "," + block1 + noFlags + "}," + block7 +
                           xFlag + "}}}\n" + "{\"t\":240,\"step\":0,\"blocks\":{" + block1 + noFlags + "}," +
                           block7 + xFlag + "}}}\n");
}

TEST_F(DemotoolScript, TraceStopsAtFaults)
{
    const std::string script = Write("bad.txt", "Set scene.1.dbl.0 1\n");
    const ToolRun run = Demotool("trace " + script + " 10");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "{\"fault\":\"Invalid time\",\"line\":1,\"text\":\"Set scene.1.dbl.0 1\"}\n");
    EXPECT_EQ(Demotool("trace " + script + " 10,x").status, 2);
    EXPECT_EQ(Demotool("trace " + script + " 4294967296").status, 2);
    EXPECT_EQ(Demotool("trace " + script).status, 2);
}

TEST_F(DemotoolScript, CheckWarnsAboutWhatThePlayerWouldMiss)
{
    Write("have.png", "");
    const std::string script = Write("check.txt", "Define _IMG_DIR=" + dir.string() + "/\n"
                                                  "LoadImage a have.png\n"
                                                  "LoadImage b missing.png\n"
                                                  "LoadImage c have.bmp\n"
                                                  "LoadImage d pic.jpg\n"
                                                  "LoadMusic missing.ogg 125\n"
                                                  "=0 Set scene.64.dbl.0 1\n"
                                                  "=0 Set scene.1.lng.5 1\n"
                                                  "=0 UsePattern 3\n"
                                                  "Trig scene.1.bool.1 1\n"
                                                  "=5000 Set scene.1.dbl.0 1\n"
                                                  "End =1000\n"
                                                  "=0 Set scene.4.lng.0 2\n"
                                                  "=0 Trig scene.5.dbl.10 1\n"
                                                  "=0 Fade scene.3.dbl.2 from 0 to 1 time =10\n"
                                                  "=0 Set scene.9.RUN\n" + NeededPictures("have.png"));
    const ToolRun run = Demotool("check " + script);
    EXPECT_EQ(run.status, 0);
    const std::string d = dir.string() + "/";
    const std::string unread = " (see demotool params); the event changes nothing on screen\n";
    EXPECT_EQ(run.out, script + ":3: warning: picture '" + d + "missing.png' does not exist\n" + script +
                           ":5: warning: picture '" + d + "pic.jpg' is neither .png nor .bmp; the player loads nothing for it\n" +
                           script + ":6: warning: music 'missing.ogg' does not exist\n" + script +
                           ":7: warning: effect slot 64 is outside 0..63; the event changes nothing\n" + script +
                           ":8: warning: index 5 is outside lng 0..4; the event changes nothing\n" + script +
                           ":9: warning: pattern 3 is used but never defined with any steps\n" + script +
                           ":10: warning: no effect reads scene.1.bool.1" + unread + script +
                           ":10: warning: the event has no time and never fires\n" + script +
                           ":11: warning: no effect reads scene.1.dbl.0" + unread + script +
                           ":11: warning: the show ends at 1000 ms, before this event at 5000 ms\n" + script +
                           ":15: warning: no effect reads scene.3.dbl.2" + unread + script +
                           ":16: warning: no effect reads scene.9.bool.0" + unread + "0 fault(s), 12 warning(s)\n");
}

TEST_F(DemotoolScript, CheckPrintsFaultsWithTheExpandedLine)
{
    // Without its pictures the show does not start: a fault of the whole
    // script, so that a clean check means the player starts.
    const std::string script = Write("faults.txt", "=0 Set scene.1.RUN\n  Set scene.1.STOP\nDefinePattern 20 x\n"
                                                   "LoadImage noise n.png\nLoadImage pic3 p.png\n");
    const ToolRun run = Demotool("check " + script);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, script + ":2: Syntax error\n  Set scene.1.bool.0 false\n" + script +
                           ":3: Pattern id out of range\nDefinePattern 20 x\n" + script +
                           ": the script loads no picture named envmap, logo, lumora, pic1, pic2, pic4, pic5, pic6\n" +
                           script + ":4: warning: picture 'n.png' does not exist\n" + script +
                           ":5: warning: picture 'p.png' does not exist\n3 fault(s), 2 warning(s)\n");
    const ToolRun empty = Demotool("check " + Write("empty.txt", ""));
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.out.find("loads no picture named envmap, noise"), std::string::npos) << empty.out;
}

// The page for script authors holds the table that the tool prints, between
// two marker lines; regenerate it with `demotool params --markdown`.
TEST_F(DemotoolScript, ParamsPrintsTheEffectsTableAndTheScriptPageHoldsIt)
{
    const ToolRun json = Demotool("params --json");
    EXPECT_EQ(json.status, 0);
    for (const EffectParameter& parameter : EffectParameters()) {
        const std::string entry = "{\"scene\":" + std::to_string(parameter.slot) + ",\"effect\":\"" +
                                  ShowLineup::SlotName(parameter.slot) + "\",\"type\":\"" +
                                  ParamKindWord(parameter.kind) + "\",\"index\":" + std::to_string(parameter.index) +
                                  ",\"name\":\"" + parameter.name + "\",";
        EXPECT_NE(json.out.find(entry), std::string::npos) << entry;
    }
    const size_t count = EffectParameters().size();
    EXPECT_EQ(size_t(std::count(json.out.begin(), json.out.end(), '\n')), count);
    const std::string text = Demotool("params").out;
    EXPECT_EQ(size_t(std::count(text.begin(), text.end(), '\n')), count + 1) << text;

    const ToolRun markdown = Demotool("params --markdown");
    EXPECT_EQ(markdown.status, 0);
    std::ifstream page(std::string(DEMO_SOURCE_DIR) + "/docs/script.md");
    const std::string doc((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
    const std::string begin = "<!-- demotool params --markdown: begin -->\n";
    const size_t from = doc.find(begin);
    const size_t to = doc.find("<!-- demotool params --markdown: end -->");
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos && from < to) << "markers missing";
    EXPECT_EQ(doc.substr(from + begin.size(), to - from - begin.size()), markdown.out)
        << "docs/script.md's table differs from `demotool params --markdown`";

    EXPECT_EQ(Demotool("params --json --markdown").status, 2);
    EXPECT_EQ(Demotool("params extra").status, 2);
    EXPECT_NE(Demotool("params --help").out.find("usage: demotool params"), std::string::npos);
}

TEST_F(DemotoolScript, HelpUsageAndUnreadableFiles)
{
    for (const char* command : {"check", "events", "trace"}) {
        const ToolRun help = Demotool(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find("usage: demotool"), std::string::npos) << command;
        const ToolRun bare = Demotool(command, true);
        EXPECT_EQ(bare.status, 2) << command;
        EXPECT_NE(bare.out.find("usage:"), std::string::npos) << command;
    }
    const ToolRun missing = Demotool("events " + (dir / "nope.txt").string(), true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("cannot open"), std::string::npos);
    EXPECT_EQ(Demotool("check " + (dir / "nope.txt").string()).status, 1);
    // A directory opens but cannot be read.
    for (const std::string command : {"check ", "events ", "trace "}) {
        const ToolRun folder = Demotool(command + dir.string() + (command == "trace " ? " 1" : ""), true);
        EXPECT_EQ(folder.status, 1) << command;
        EXPECT_EQ(folder.out, "demotool: cannot read '" + dir.string() + "': Is a directory\n") << command;
    }
    // A pipe can be read only once: its whole text must reach the timeline.
    const std::string faulty = Write("piped.txt", "=0 Set scene.1.dbl.0 1\n=0 Bogus\n");
    const ToolRun piped = RunShell("cat " + faulty + " | " + DEMOTOOL_PATH + " check /dev/stdin 2>&1");
    EXPECT_EQ(piped.status, 1);
    EXPECT_NE(piped.out.find(":2: Syntax error"), std::string::npos) << piped.out;
}

} // namespace
