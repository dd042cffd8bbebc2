// The browser layer's stand-ins for what WebGL lacks, checked on the desktop
// against Mesa's own fixed function and GLU: what they draw and upload must
// be what the real calls give.
#include "platform/web/WebLayer.h"
#include "tests/support/HeadlessGL.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <vector>

namespace {

constexpr int32_t kSide = 64;

// A bent 8 by 8 grid facing the viewer, its normals (not of unit length)
// tilted outwards, so that sphere-map coordinates vary over it.
struct Grid {
    std::vector<float> vertices;
    std::vector<float> normals;
    std::vector<float> planar;
    std::vector<GLushort> indices;
};

Grid MakeGrid()
{
    constexpr int kCells = 8;
    Grid grid;
    for (int j = 0; j <= kCells; ++j)
        for (int i = 0; i <= kCells; ++i) {
            const float x = -0.8f + 1.6f * float(i) / kCells, y = -0.8f + 1.6f * float(j) / kCells;
            grid.vertices.insert(grid.vertices.end(), {x, y, 0.3f * (x * x - y * y)});
            grid.normals.insert(grid.normals.end(), {0.9f * x, 0.7f * y, 1.1f});
            grid.planar.insert(grid.planar.end(), {float(i) / kCells, float(j) / kCells});
        }
    for (int j = 0; j < kCells; ++j)
        for (int i = 0; i < kCells; ++i) {
            const auto at = [](int a, int b) { return GLushort(b * (kCells + 1) + a); };
            grid.indices.insert(grid.indices.end(),
                                {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j), at(i + 1, j + 1), at(i, j + 1)});
        }
    return grid;
}

class WebLayer : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        ASSERT_TRUE(gl->Ok());
        glViewport(0, 0, kSide, kSide);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        // The show puts its perspective in the modelview, where sphere
        // mapping sees it.
        gluPerspective(45.0, 1.0, 0.1, 100.0);
        glTranslatef(0.2f, -0.1f, -2.5f);
        glRotatef(35.0f, 1.0f, 0.6f, 0.2f);
        glScalef(1.0f, 0.8f, 1.2f);
        for (GLenum state : {GL_DEPTH_TEST, GL_BLEND, GL_LIGHTING, GL_CULL_FACE})
            glDisable(state);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }

    // Red grows with s, green with t: the picture shows the coordinates.
    void BindCoordinateTexture()
    {
        std::vector<uint8_t> pixels(size_t(kSide) * kSide * 3);
        for (int32_t t = 0; t < kSide; ++t)
            for (int32_t s = 0; s < kSide; ++s) {
                uint8_t* p = &pixels[(size_t(t) * kSide + size_t(s)) * 3];
                p[0] = uint8_t(s * 4);
                p[1] = uint8_t(t * 4);
                p[2] = 128;
            }
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kSide, kSide, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        glEnable(GL_TEXTURE_2D);
    }

    std::vector<uint8_t> Frame()
    {
        std::vector<uint8_t> frame = gl->ReadRgba(0, 0, kSide, kSide);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        return frame;
    }

    void TearDown() override
    {
        if (texture)
            glDeleteTextures(1, &texture);
        GLTest::TearDown();
    }

    int32_t ContextWidth() const override { return kSide; }
    int32_t ContextHeight() const override { return kSide; }

    Grid grid = MakeGrid();
    GLuint texture = 0;
};

int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int worst = a.size() == b.size() ? 0 : 255;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return worst;
}

int64_t Lit(const std::vector<uint8_t>& frame)
{
    int64_t lit = 0;
    for (size_t i = 0; i < frame.size(); i += 4)
        lit += frame[i] + frame[i + 1] + frame[i + 2] > 0;
    return lit;
}

TEST_F(WebLayer, SphereMapAndWireframeDrawAsTheFixedFunctionDoes)
{
    BindCoordinateTexture();
    Frame();
    // The fixed function's sphere map, then the layer's, each over the
    // grid's own planar coordinates, which the generated ones replace.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, grid.vertices.data());
    glNormalPointer(GL_FLOAT, 0, grid.normals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, grid.planar.data());
    glDrawElements(GL_TRIANGLES, GLsizei(grid.indices.size()), GL_UNSIGNED_SHORT, grid.indices.data());
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    const std::vector<uint8_t> fixed = Frame();

    webTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    webTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    webEnable(GL_TEXTURE_GEN_S);
    webEnable(GL_TEXTURE_GEN_T);
    webVertexPointer(3, GL_FLOAT, 0, grid.vertices.data());
    webNormalPointer(GL_FLOAT, 0, grid.normals.data());
    webTexCoordPointer(2, GL_FLOAT, 0, grid.planar.data());
    for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY})
        webEnableClientState(array);
    webDrawElements(GL_TRIANGLES, GLsizei(grid.indices.size()), GL_UNSIGNED_SHORT, grid.indices.data());
    const std::vector<uint8_t> layer = Frame();
    EXPECT_TRUE(webIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S)) << "the generation is the layer's alone";

    std::set<int> reds;
    for (size_t i = 0; i < fixed.size(); i += 4)
        reds.insert(fixed[i]);
    EXPECT_GT(reds.size(), 40u) << "the coordinates hardly vary over the grid";
    EXPECT_GT(Lit(fixed), kSide * kSide / 3);
    EXPECT_LE(LargestDifference(fixed, layer), 3);

    // Generation off: the grid's own coordinates are in force again.
    webDisable(GL_TEXTURE_GEN_S);
    webDisable(GL_TEXTURE_GEN_T);
    webDrawElements(GL_TRIANGLES, GLsizei(grid.indices.size()), GL_UNSIGNED_SHORT, grid.indices.data());
    const std::vector<uint8_t> planarLayer = Frame();
    glTexCoordPointer(2, GL_FLOAT, 0, grid.planar.data());
    glDrawElements(GL_TRIANGLES, GLsizei(grid.indices.size()), GL_UNSIGNED_SHORT, grid.indices.data());
    EXPECT_EQ(planarLayer, Frame());

    // The wireframe: every triangle's edges, the insides left black.
    glDisable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glDrawElements(GL_TRIANGLES, GLsizei(grid.indices.size()), GL_UNSIGNED_SHORT, grid.indices.data());
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const std::vector<uint8_t> lines = Frame();
    webPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    webDrawElements(GL_TRIANGLES, GLsizei(grid.indices.size()), GL_UNSIGNED_SHORT, grid.indices.data());
    webPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const std::vector<uint8_t> layerLines = Frame();
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL) << "the real polygon mode is never changed";
    int64_t insides = 0;
    for (size_t i = 0; i < lines.size(); i += 4)
        insides += fixed[i] + fixed[i + 1] + fixed[i + 2] > 0 && lines[i] == 0;
    EXPECT_GT(Lit(lines), kSide);
    EXPECT_GT(insides, kSide) << "the wireframe fills the triangles";
    int64_t differing = 0;
    for (size_t i = 0; i < lines.size(); i += 4)
        differing += lines[i] != layerLines[i];
    EXPECT_LE(differing * 20, Lit(lines)) << Lit(lines) << " lit, " << Lit(layerLines) << " by the layer";
}

TEST_F(WebLayer, GluMatricesMultiplyTheCurrentOne)
{
    const auto matrixAfter = [](auto apply) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.5f, -1.0f, 2.0f);
        glRotatef(20.0f, 0.0f, 1.0f, 0.0f);
        apply();
        std::vector<float> m(16);
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        return m;
    };
    const auto near = [](const std::vector<float>& a, const std::vector<float>& b) {
        for (size_t i = 0; i < 16; ++i)
            if (std::abs(a[i] - b[i]) > 1e-5f * std::max(1.0f, std::abs(a[i])))
                return ::testing::AssertionFailure() << "element " << i << ": " << a[i] << " and " << b[i];
        return ::testing::AssertionSuccess();
    };
    EXPECT_TRUE(near(matrixAfter([] { gluPerspective(45.0, 4.0 / 3.0, 0.1, 100.0); }),
                     matrixAfter([] { webPerspective(45.0, 4.0 / 3.0, 0.1, 100.0); })));
    EXPECT_TRUE(near(matrixAfter([] { gluLookAt(1.0, 2.0, 5.0, 0.0, 0.5, 0.0, 0.1, 1.0, 0.0); }),
                     matrixAfter([] { webLookAt(1.0, 2.0, 5.0, 0.0, 0.5, 0.0, 0.1, 1.0, 0.0); })));
}

// Deterministic bytes that look like nothing in particular.
std::vector<uint8_t> Noise(size_t size)
{
    std::vector<uint8_t> bytes(size);
    uint32_t state = 12345;
    for (uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = uint8_t(state >> 16);
    }
    return bytes;
}

std::vector<uint8_t> Level(GLuint name, GLint level, GLsizei width, GLsizei height)
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 3);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

TEST_F(WebLayer, ImagesUploadAsGluUploadsThem)
{
    constexpr GLsizei kWidth = 64, kHeight = 16;
    const std::vector<uint8_t> image = Noise(size_t(kWidth) * kHeight * 3);
    GLuint names[2] = {};
    glGenTextures(2, names);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, names[0]);
    ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, image.data()), 0);
    glBindTexture(GL_TEXTURE_2D, names[1]);
    ASSERT_EQ(webBuild2DMipmaps(GL_TEXTURE_2D, 3, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, image.data()), 0);
    // Every level down to one pixel, each the same bytes.
    for (GLint level = 0, w = kWidth, h = kHeight; w >= 1 && h >= 1; ++level, w = std::max(w / 2, 1)) {
        EXPECT_EQ(Level(names[0], level, w, h), Level(names[1], level, w, h)) << "level " << level;
        if (w == 1 && h == 1)
            break;
        h = std::max(h / 2, 1);
    }
    GLint format = 0;
    glBindTexture(GL_TEXTURE_2D, names[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGB) << "a channel count is not a format WebGL takes";
    webTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, 0x2900);
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
    glDeleteTextures(2, names);

    // Scaling up and down, as pictures are brought to power-of-two sides.
    const std::vector<uint8_t> odd = Noise(size_t(50) * 30 * 3);
    for (auto [w, h] : {std::pair{64, 32}, std::pair{32, 16}}) {
        std::vector<uint8_t> glu(size_t(w) * size_t(h) * 3), layer(glu.size());
        ASSERT_EQ(gluScaleImage(GL_RGB, 50, 30, GL_UNSIGNED_BYTE, odd.data(), w, h, GL_UNSIGNED_BYTE, glu.data()), 0);
        ASSERT_EQ(webScaleImage(GL_RGB, 50, 30, GL_UNSIGNED_BYTE, odd.data(), w, h, GL_UNSIGNED_BYTE, layer.data()),
                  0);
        EXPECT_EQ(LargestDifference(glu, layer), 0) << w << "x" << h;
    }
    uint8_t out[12] = {};
    EXPECT_EQ(webScaleImage(GL_RGB, 2, 2, GL_FLOAT, odd.data(), 2, 2, GL_UNSIGNED_BYTE, out), GLU_INVALID_ENUM);
    EXPECT_EQ(webScaleImage(GL_RGB, 0, 2, GL_UNSIGNED_BYTE, odd.data(), 2, 2, GL_UNSIGNED_BYTE, out),
              GLU_INVALID_VALUE);
    EXPECT_EQ(webBuild2DMipmaps(GL_TEXTURE_2D, 3, 2, 2, GL_RGB, GL_UNSIGNED_BYTE, nullptr), GLU_INVALID_VALUE);
    EXPECT_STREQ(reinterpret_cast<const char*>(webErrorString(GLU_INVALID_VALUE)), "invalid value");
}

} // namespace
