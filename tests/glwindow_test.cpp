#include "app/GLWindow.h"
#include "app/ProcessObjects.h"
#include "resources/PngDecoder.h"
#include "tests/support/HeadlessGL.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

TEST(ExtensionList, MatchesWholeWordsOnly)
{
    const char* list = "GL_ARB_multisample_extra GL_EXT_foo GL_ARB_multisample";
    EXPECT_TRUE(ExtensionListHas(list, "GL_ARB_multisample"));
    EXPECT_TRUE(ExtensionListHas(list, "GL_EXT_foo"));
    EXPECT_FALSE(ExtensionListHas("GL_ARB_multisample_extra GL_EXT_foo", "GL_ARB_multisample"));
    EXPECT_FALSE(ExtensionListHas("XGL_EXT_foo", "GL_EXT_foo"));
    EXPECT_FALSE(ExtensionListHas("GL_EXT_fo", "GL_EXT_foo"));
    EXPECT_FALSE(ExtensionListHas(nullptr, "GL_EXT_foo"));
    EXPECT_FALSE(ExtensionListHas("GL_EXT_foo", ""));
}

TEST(GLWindowResize, KeepsTheLargestFourByThreeViewportAtTheLowerLeft)
{
    struct Case {
        int32_t width, height, expectWidth, expectHeight;
    };
    const Case cases[] = {
        {800, 600, 800, 600},   {1000, 600, 800, 600}, {800, 700, 800, 599},
        {1280, 1024, 1280, 959}, {1024, 768, 1024, 768}, {640, 480, 640, 480},
        {0, 0, 0, 0},
    };
    GLWindow window;
    for (const Case& c : cases) {
        window.Resize(c.width, c.height);
        EXPECT_EQ(window.Width(), c.expectWidth) << c.width << "x" << c.height;
        EXPECT_EQ(window.Height(), c.expectHeight) << c.width << "x" << c.height;
    }
}

TEST(GLWindowResize, ZeroHeightBecomesOne)
{
    GLWindow window;
    window.Resize(4, 0);
    // 1 high at 4:3 is 1.33 wide, truncated to 1.
    EXPECT_EQ(window.Width(), 1);
    EXPECT_EQ(window.Height(), 1);
}

TEST(GLWindowLifetime, DestroyOfAWindowNeverCreatedDoesNothing)
{
    GLWindow window;
    EXPECT_TRUE(window.Destroy());
    EXPECT_TRUE(window.Destroy());
    EXPECT_FALSE(window.IsCreated());
}

class GLWindowOnOffscreenDriver : public ::testing::Test {
protected:
    void SetUp() override { SDL_setenv("SDL_VIDEODRIVER", "offscreen", 1); }
};

TEST_F(GLWindowOnOffscreenDriver, CreatesAContextWhoseViewportIsTheClientArea)
{
    GLWindow window;
    InstallGLWindow(&window);
    window.AllowMultisample(false);
    ASSERT_TRUE(window.Create({"Demo", 800, 600, 32, false}));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    EXPECT_EQ(window.Width(), 800);
    EXPECT_EQ(window.Height(), 600);
    GLint samples = -1;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 0);
    EXPECT_TRUE(window.Destroy());
    EXPECT_FALSE(window.IsCreated());
    InstallGLWindow(nullptr);
}

TEST_F(GLWindowOnOffscreenDriver, ProbesAndRecreatesWithMultisampleWhereTheDriverOffersIt)
{
    GLWindow window;
    InstallGLWindow(&window);
    ASSERT_TRUE(window.Create({"Demo", 320, 240, 32, false}));
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    if (window.HasExtension("GL_ARB_multisample")) {
        EXPECT_GE(window.MultisampleFormat(), 2);
        EXPECT_GE(samples, 2);
    } else {
        EXPECT_EQ(window.MultisampleFormat(), 0);
        EXPECT_EQ(samples, 0);
    }
    window.Destroy();
    InstallGLWindow(nullptr);
}

// SDL keeps a window's icon to itself; what can be seen is the picture the
// window is given and whether it took it.
TEST_F(GLWindowOnOffscreenDriver, TakesTheProgramsIconFromDataAndGoesWithoutOne)
{
    namespace fs = std::filesystem;
    PngImage icon;
    std::string error;
    const std::string iconFile = std::string(DEMO_SOURCE_DIR) + "/" + GLWindow::kIconPath;
    ASSERT_TRUE(DecodePngFile(iconFile.c_str(), PngDecodeOptions{}, icon, error)) << error;
    ASSERT_EQ(icon.width, 32u);
    ASSERT_EQ(icon.height, 32u);
    ASSERT_EQ(icon.channels, 4u);
    auto pixel = [&icon](uint32_t x, uint32_t y) { return icon.Row(y) + x * 4; };
    EXPECT_EQ(pixel(0, 0)[3], 0) << "rounded corner";
    EXPECT_EQ(pixel(16, 28)[3], 255);
    EXPECT_LT(pixel(16, 28)[0], 100) << "violet tile below the heart's tip";
    EXPECT_GT(pixel(16, 28)[2], pixel(16, 28)[1]);
    EXPECT_GT(pixel(16, 13)[0], 200) << "rose heart";

    const fs::path previous = fs::current_path();
    const fs::path elsewhere = fs::temp_directory_path() / ("glwindow_icon_" + std::to_string(getpid()));
    fs::create_directories(elsewhere / "data" / "png");
    GLWindow window;
    window.AllowMultisample(false);
    InstallGLWindow(&window);
    fs::current_path(DEMO_SOURCE_DIR);
    ASSERT_TRUE(window.Create({"Demo", 320, 240, 32, false}));
    EXPECT_TRUE(window.HasIcon());
    window.Destroy();
    EXPECT_FALSE(window.HasIcon());

    fs::current_path(elsewhere);
    ASSERT_TRUE(window.Create({"Demo", 320, 240, 32, false}));
    EXPECT_FALSE(window.HasIcon()) << "no picture";
    window.Destroy();
    std::ofstream(elsewhere / GLWindow::kIconPath, std::ios::binary) << "\x89PNG\r\n\x1a\nbroken";
    ASSERT_TRUE(window.Create({"Demo", 320, 240, 32, false}));
    EXPECT_FALSE(window.HasIcon()) << "a broken picture";
    window.Destroy();

    fs::current_path(previous);
    fs::remove_all(elsewhere);
    InstallGLWindow(nullptr);
}

class ResizedWindow : public GLTest {
protected:
    int32_t ContextWidth() const override { return 1000; }
    int32_t ContextHeight() const override { return 600; }
};

TEST_F(ResizedWindow, DrawsOnlyInsideTheAnchoredViewport)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(-1, 1);
    glVertex2f(1, 1);
    glVertex2f(1, -1);
    glEnd();
    EXPECT_TRUE(NearColour(Pixel(0, 0), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(799, 599), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(800, 300), 0, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(999, 0), 0, 0, 0));
}
