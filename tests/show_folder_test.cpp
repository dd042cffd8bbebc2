// The player finds the show in the working directory or, failing that, next
// to its own executable, and names the folders it tried when neither has it.
#include "platform/ShowFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ShowFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() /
               (std::string("show_folder_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "empty");
        fs::create_directories(root / "with show" / "data");
        std::ofstream(root / "with show" / "data" / "script.txt") << "#0.0 End\n";
        fs::create_directories(root / "data only" / "data");
        previous = fs::current_path();
        fs::current_path(root / "empty");
    }

    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(root);
    }

    std::string Folder(const char* name) const { return (root / name).string(); }

    fs::path root;
    fs::path previous;
};

TEST_F(ShowFolderTest, TheFirstFolderHoldingTheScriptBecomesTheWorkingDirectory)
{
    // A data/ folder without the script is no show.
    const std::vector<std::string> folders{Folder("empty"), Folder("data only"), Folder("with show")};
    std::string error;
    ASSERT_TRUE(EnterFolderHolding("data/script.txt", folders, error)) << error;
    EXPECT_TRUE(fs::equivalent(fs::current_path(), root / "with show"));

    const std::vector<std::string> both{Folder("with show"), Folder("empty")};
    fs::current_path(root / "data only");
    ASSERT_TRUE(EnterFolderHolding("data/script.txt", both, error)) << error;
    EXPECT_TRUE(fs::equivalent(fs::current_path(), root / "with show"));
}

TEST_F(ShowFolderTest, WithoutTheShowTheMessageNamesEveryFolderTried)
{
    const std::vector<std::string> folders{Folder("empty"), Folder("data only")};
    std::string error;
    EXPECT_FALSE(EnterFolderHolding("data/script.txt", folders, error));
    EXPECT_NE(error.find("data/script.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("\"" + Folder("empty") + "\""), std::string::npos) << error;
    EXPECT_NE(error.find("\"" + Folder("data only") + "\""), std::string::npos) << error;
    EXPECT_TRUE(fs::equivalent(fs::current_path(), root / "empty"));
}

TEST_F(ShowFolderTest, TheWorkingDirectoryComesFirstThenTheProgramsFolder)
{
    const std::vector<std::string> folders = ShowFolderCandidates();
    ASSERT_FALSE(folders.empty());
    EXPECT_TRUE(fs::equivalent(folders.front(), root / "empty"));
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_TRUE(fs::is_directory(folders.back()));
    EXPECT_FALSE(fs::equivalent(folders.back(), root / "empty"));
}

} // namespace
