#include "resources/FragmentProgram.h"

#include "app/GLWindow.h"
#include "resources/ProgramResources.h"
#include "tests/support/HeadlessGL.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char* const kLocalColourProgram = "!!ARBfp1.0\n"
                                        "MOV result.color, program.local[0];\n"
                                        "END\n";
const char* const kBrokenProgram = "!!ARBfp1.0\n"
                                   "MOV result.color, no_such_register;\n"
                                   "END\n";
const std::string kTintFile = std::string(DEMO_SOURCE_DIR) + "/resources/programs/tint.fp";

std::string WriteTempFile(const std::string& name, const std::string& text)
{
    const std::string path = ::testing::TempDir() + "fragment_program_" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int CountOccurrences(const std::string& text, const std::string& word)
{
    int count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++count;
    return count;
}

class FragmentProgramTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        ASSERT_TRUE(program.Init()) << "the driver lacks GL_ARB_fragment_program";
    }

    // Clears to black and draws a quad over the middle half of the window in
    // the given current colour; the corners stay black.
    void DrawQuad(float r, float g, float b)
    {
        glViewport(0, 0, ContextWidth(), ContextHeight());
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(r, g, b);
        glBegin(GL_QUADS);
        glVertex2f(-0.5f, -0.5f);
        glVertex2f(-0.5f, 0.5f);
        glVertex2f(0.5f, 0.5f);
        glVertex2f(0.5f, -0.5f);
        glEnd();
    }

    Rgba Centre() const { return Pixel(32, 32); }
    Rgba Corner() const { return Pixel(2, 2); }

    FragmentProgram program;
};

TEST_F(FragmentProgramTest, QuadTakesTheColourSetAsLocalParameter)
{
    ASSERT_TRUE(program.LoadFromFile(0, WriteTempFile("local.fp", kLocalColourProgram).c_str()));
    program.Enable();
    program.SetLocal(0, 0.2f, 0.6f, 1.0f, 1.0f);
    DrawQuad(1, 1, 1);
    EXPECT_TRUE(NearColour(Centre(), 51, 153, 255));
    EXPECT_TRUE(NearColour(Corner(), 0, 0, 0));

    program.SetLocal(0, 1.0f, 0.4f, 0.0f, 1.0f);
    DrawQuad(1, 1, 1);
    EXPECT_TRUE(NearColour(Centre(), 255, 102, 0));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FragmentProgramTest, DisabledQuadTakesTheCurrentColour)
{
    ASSERT_TRUE(program.LoadFromFile(0, WriteTempFile("local.fp", kLocalColourProgram).c_str()));
    program.SetLocal(0, 0.2f, 0.6f, 1.0f, 1.0f);
    program.Enable();
    program.Disable();
    DrawQuad(0.8f, 0.4f, 0.2f);
    EXPECT_TRUE(NearColour(Centre(), 204, 102, 51));

    program.Enable();
    DrawQuad(0.8f, 0.4f, 0.2f);
    EXPECT_TRUE(NearColour(Centre(), 51, 153, 255));
}

TEST_F(FragmentProgramTest, BuiltInProgramHoldsTheFileBytes)
{
    const ProgramResource* tint = FindProgramResource("tint");
    ASSERT_NE(tint, nullptr);
    const std::string file = ReadFile(kTintFile);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tint->bytes), tint->size), file);
    EXPECT_EQ(tint->bytes[tint->size], 0);

    // Names are the file stems, matched exactly.
    EXPECT_EQ(FindProgramResource("tint.fp"), nullptr);
    EXPECT_EQ(FindProgramResource("Tint"), nullptr);
    EXPECT_EQ(FindProgramResource(""), nullptr);
}

TEST_F(FragmentProgramTest, BuiltInProgramDrawsLikeTheSameFile)
{
    ASSERT_TRUE(program.LoadFromResource(0, "tint"));
    ASSERT_TRUE(program.LoadFromFile(1, kTintFile.c_str()));
    EXPECT_NE(program.ProgramName(0), program.ProgramName(1));
    program.Enable();

    program.Bind(0);
    program.SetLocal(0, 0.6f, 0.8f, 0.4f, 1.0f);
    DrawQuad(1.0f, 0.5f, 0.5f);
    const Rgba fromResource = Centre();
    EXPECT_TRUE(NearColour(fromResource, 153, 102, 51));
    const std::vector<uint8_t> resourcePicture = gl->ReadRgba(0, 0, 64, 64);

    program.Bind(1);
    program.SetLocal(0, 0.6f, 0.8f, 0.4f, 1.0f);
    DrawQuad(1.0f, 0.5f, 0.5f);
    EXPECT_TRUE(NearColour(Centre(), 153, 102, 51));
    EXPECT_EQ(gl->ReadRgba(0, 0, 64, 64), resourcePicture);
}

TEST_F(FragmentProgramTest, MissingFileOrResourceLeavesTheSlotAsItWas)
{
    ASSERT_TRUE(program.LoadFromResource(2, "tint"));
    const GLuint tintName = program.ProgramName(2);
    ASSERT_TRUE(program.LoadFromFile(0, WriteTempFile("local.fp", kLocalColourProgram).c_str()));

    EXPECT_FALSE(program.LoadFromFile(2, "no/such/program.fp"));
    EXPECT_FALSE(program.LoadFromResource(2, "no_such_program"));
    EXPECT_FALSE(program.LoadFromFile(2, ::testing::TempDir().c_str())); // a directory opens but cannot be read
    EXPECT_EQ(program.ProgramName(2), tintName);

    // Nothing was bound either: the last loaded program still draws.
    program.Enable();
    program.SetLocal(0, 0.0f, 1.0f, 0.0f, 1.0f);
    DrawQuad(1, 0, 1);
    EXPECT_TRUE(NearColour(Centre(), 0, 255, 0));

    program.Bind(2);
    program.SetLocal(0, 0.5f, 1.0f, 1.0f, 1.0f);
    DrawQuad(1, 0, 1);
    EXPECT_TRUE(NearColour(Centre(), 128, 0, 255));
}

TEST_F(FragmentProgramTest, OverlongFileIsRefusedWithAMessage)
{
    ASSERT_TRUE(program.LoadFromResource(3, "tint"));
    const GLuint tintName = program.ProgramName(3);
    std::string text = kLocalColourProgram;
    text.append(FragmentProgram::kMaxFileSize, '#');
    const std::string path = WriteTempFile("long.fp", text);

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(program.LoadFromFile(3, path.c_str()));
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("longer than"), std::string::npos) << report;
    EXPECT_EQ(program.ProgramName(3), tintName);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FragmentProgramTest, SlotOutsideTheRangeIsRefused)
{
    ASSERT_TRUE(program.LoadFromResource(FragmentProgram::kSlotCount - 1, "tint"));
    ASSERT_TRUE(program.LoadFromFile(0, WriteTempFile("local.fp", kLocalColourProgram).c_str()));
    EXPECT_FALSE(program.LoadFromResource(FragmentProgram::kSlotCount, "tint"));
    EXPECT_FALSE(program.LoadFromResource(-1, "tint"));
    EXPECT_FALSE(program.LoadFromFile(FragmentProgram::kSlotCount, kTintFile.c_str()));
    EXPECT_EQ(program.ProgramName(FragmentProgram::kSlotCount), 0u);

    // A refused bind keeps the program that was bound.
    program.Bind(FragmentProgram::kSlotCount);
    program.Enable();
    program.SetLocal(0, 0.0f, 0.0f, 1.0f, 1.0f);
    DrawQuad(1, 1, 0);
    EXPECT_TRUE(NearColour(Centre(), 0, 0, 255));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FragmentProgramTest, BrokenProgramReportsOnceAndLeavesGLUsable)
{
    ASSERT_TRUE(program.LoadFromResource(0, "tint"));
    const std::string brokenPath = WriteTempFile("broken.fp", kBrokenProgram);

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(program.LoadFromFile(1, brokenPath.c_str()));
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOccurrences(report, "fragment program"), 1) << report;
    EXPECT_NE(report.find(brokenPath), std::string::npos) << report;
    EXPECT_NE(report.find("error at position"), std::string::npos) << report;
    // The driver's position points into the bad line, not at the header.
    const int position = std::atoi(report.c_str() + report.find("position ") + 9);
    EXPECT_GE(position, int(std::strlen("!!ARBfp1.0\n")));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // With programs off, drawing goes on as before.
    DrawQuad(0.2f, 0.4f, 0.6f);
    EXPECT_TRUE(NearColour(Centre(), 51, 102, 153));

    // And a good slot still draws.
    program.Bind(0);
    program.Enable();
    program.SetLocal(0, 1.0f, 1.0f, 1.0f, 1.0f);
    DrawQuad(0.2f, 0.4f, 0.6f);
    EXPECT_TRUE(NearColour(Centre(), 51, 102, 153));
    program.SetLocal(0, 0.0f, 1.0f, 1.0f, 1.0f);
    DrawQuad(0.2f, 0.4f, 0.6f);
    EXPECT_TRUE(NearColour(Centre(), 0, 102, 153));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(FragmentProgramTest, ExtensionTestIsAPlainSubstringSearch)
{
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    ASSERT_NE(extensions, nullptr);
    // The prefix is not an extension of its own, so only a substring search
    // can find it.
    ASSERT_FALSE(ExtensionListHas(extensions, "GL_ARB_fragment_prog"));

    EXPECT_TRUE(FragmentProgram::ExtensionSupported("GL_ARB_fragment_program"));
    EXPECT_TRUE(FragmentProgram::ExtensionSupported("GL_ARB_fragment_prog"));
    EXPECT_TRUE(FragmentProgram::ExtensionSupported("ARB_fragment_program"));
    EXPECT_FALSE(FragmentProgram::ExtensionSupported("GL_XYZ_no_such_extension"));
    EXPECT_FALSE(FragmentProgram::ExtensionSupported(nullptr));
}

TEST_F(FragmentProgramTest, NothingHappensBeforeInit)
{
    FragmentProgram uninitialised;
    EXPECT_FALSE(uninitialised.LoadFromResource(0, "tint"));
    EXPECT_FALSE(uninitialised.LoadFromFile(0, kTintFile.c_str()));
    EXPECT_EQ(uninitialised.ProgramName(0), 0u);
    uninitialised.Enable();
    uninitialised.SetLocal(0, 0, 0, 0, 1);
    DrawQuad(0.4f, 0.8f, 0.2f);
    EXPECT_TRUE(NearColour(Centre(), 102, 204, 51));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
