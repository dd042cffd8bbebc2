// The player binary, started as a user would start it.
#include "tests/support/ShellRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(Player, WithoutAShowItSaysWhereItLookedAndFails)
{
    // A copy of the player in a folder of its own, started from another
    // folder: neither holds data/.
    const fs::path root = fs::temp_directory_path() / "player_test_no_show";
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    fs::create_directories(root / "elsewhere");
    fs::copy_file(DEMO_PLAYER_PATH, root / "bin" / "demo");
    const ToolRun run = RunShell("cd '" + (root / "elsewhere").string() + "' && SDL_VIDEODRIVER=offscreen ../bin/demo 2>&1");
    fs::remove_all(root);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("Error: The show was not found"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"" + (root / "elsewhere").string() + "\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"" + (root / "bin").string() + "\""), std::string::npos) << run.out;
    // Nothing to ask about without a show.
    EXPECT_EQ(run.out.find("Fullscreen?"), std::string::npos) << run.out;
}

} // namespace
