#include "resources/ImageRegistry.h"
#include "resources/Mesh3DS.h"
#include "tests/support/HeadlessGL.h"
#include "tests/support/MeshFiles.h"

#include <GL/gl.h>

namespace {

// 64 by 64 pixels over (-4, -4) to (4, 4): one unit is 8 pixels, and the
// world point (x, y) lands on pixel (32 + 8x, 32 + 8y).
class MeshDraw : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        glViewport(0, 0, 64, 64);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glOrtho(-4, 4, -4, 4, -10, 10);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
    }

    void LoadSquares(Mesh3DS& mesh, std::vector<FileMaterial> materials = {{"m"}})
    {
        // Squares of side 2 centred at x = -2 (left) and x = +2 (right),
        // upright in the drawing plane once the axes are converted.
        const std::vector<uint8_t> bytes =
            MakeMeshFile(materials, {MakeSquare("left", -2, 0, 0, 2, materials[0].name),
                                     MakeSquare("right", 2, 0, 0, 2, materials.back().name)});
        ASSERT_TRUE(mesh.LoadFromMemory(bytes.data(), bytes.size()));
    }

    static constexpr int kLeftX = 16;
    static constexpr int kRightX = 48;
    static constexpr int kMiddleY = 32;
};

TEST_F(MeshDraw, VisibleObjectsDrawAndHiddenOnesDoNot)
{
    Mesh3DS mesh;
    LoadSquares(mesh);
    mesh.objects[1].visible = false;
    mesh.Draw();
    EXPECT_TRUE(NearColour(Pixel(kLeftX, kMiddleY), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(kRightX, kMiddleY), 0, 0, 0));
    // Between the squares nothing is drawn.
    EXPECT_TRUE(NearColour(Pixel(32, kMiddleY), 0, 0, 0));
}

TEST_F(MeshDraw, GreyIsObjectAlphaTimesMeshAlpha)
{
    Mesh3DS mesh;
    LoadSquares(mesh);
    mesh.alpha = 0.5f;
    mesh.objects[0].alpha = 0.5f;
    mesh.Draw();
    EXPECT_TRUE(NearColour(Pixel(kLeftX, kMiddleY), 64, 64, 64, 1));
    EXPECT_TRUE(NearColour(Pixel(kRightX, kMiddleY), 128, 128, 128, 1));

    // The alpha is the same grey: weighting the colour by it squares it.
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ZERO);
    mesh.Draw();
    EXPECT_TRUE(NearColour(Pixel(kLeftX, kMiddleY), 16, 16, 16, 1));
    EXPECT_TRUE(NearColour(Pixel(kRightX, kMiddleY), 64, 64, 64, 1));
}

TEST_F(MeshDraw, InvisibleMeshChangesNothing)
{
    Mesh3DS mesh;
    LoadSquares(mesh);
    mesh.visible = false;
    mesh.frontPolygonMode = GL_LINE;
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    mesh.Draw();
    EXPECT_TRUE(NearColour(Pixel(kLeftX, kMiddleY), 0, 0, 0));
    GLint modes[2];
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[1], 0.2f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

TEST_F(MeshDraw, PolygonModeOverrideOrCallersMode)
{
    Mesh3DS mesh;
    LoadSquares(mesh);
    mesh.frontPolygonMode = GL_LINE;
    mesh.backPolygonMode = GL_LINE;
    mesh.Draw();
    // Outlines only: the edge is lit, the middle stays dark.
    // Off the diagonal, inside the left square.
    EXPECT_TRUE(NearColour(Pixel(12, 36), 0, 0, 0));
    int lit = 0;
    for (int x = 4; x < 28; ++x)
        lit += Pixel(x, 23).r > 128 || Pixel(x, 24).r > 128;
    EXPECT_GT(lit, 10);

    glClear(GL_COLOR_BUFFER_BIT);
    mesh.overridePolygonMode = false;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    mesh.Draw();
    EXPECT_TRUE(NearColour(Pixel(12, 36), 255, 255, 255));
}

TEST_F(MeshDraw, MeshAndObjectTransformsMoveTheDrawing)
{
    Mesh3DS mesh;
    LoadSquares(mesh);
    mesh.objects[1].visible = false;
    // The object moves up by 2; the whole mesh then halves around the origin.
    mesh.objects[0].position[1] = 2.0f;
    mesh.scale = 0.5f;
    mesh.Draw();
    // The left square now spans x -1.5..-0.5 and y 0.5..1.5.
    EXPECT_TRUE(NearColour(Pixel(24, 40), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(kLeftX, kMiddleY), 0, 0, 0));

    glClear(GL_COLOR_BUFFER_BIT);
    Mesh3DS turned;
    LoadSquares(turned);
    turned.objects[0].visible = false;
    // A half turn about y puts the right square on the left.
    turned.rotation[1] = 180.0f;
    turned.Draw();
    EXPECT_TRUE(NearColour(Pixel(kLeftX, kMiddleY), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(kRightX, kMiddleY), 0, 0, 0));
}

TEST_F(MeshDraw, ObjectsWithoutGroupsShowOnlyTheirNormals)
{
    // A square lying flat (edge-on to the view) whose normals point up the
    // screen: without groups its triangles are never drawn, its normals are.
    FileObject flat;
    flat.name = "flat";
    flat.vertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    flat.faces = {{0, 1, 2}, {0, 2, 3}};
    Mesh3DS mesh;
    const std::vector<uint8_t> bytes = MakeMeshFile({}, {flat});
    ASSERT_TRUE(mesh.LoadFromMemory(bytes.data(), bytes.size()));
    ASSERT_EQ(mesh.objects[0].groupCount, 0);
    mesh.rotation[0] = 30.0f;
    mesh.Draw();
    int lit = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            lit += Pixel(x, y).r + Pixel(x, y).b > 0;
    EXPECT_EQ(lit, 0);

    mesh.showNormals = true;
    mesh.lighting = false;
    mesh.rotation[0] = 0.0f;
    mesh.Draw();
    // Normal lines run from y = 0 to y = 1 above the corners at x = -1 and 1.
    auto blueColumns = [&](int from, int to) {
        int found = 0;
        for (int x = from; x <= to; ++x)
            found += NearColour(Pixel(x, 36), 0, 0, 255) ? 1 : 0;
        return found;
    };
    EXPECT_GE(blueColumns(22, 26), 1);
    EXPECT_GE(blueColumns(38, 42), 1);
    EXPECT_EQ(blueColumns(28, 36), 0);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
}

TEST_F(MeshDraw, TexturedGroupsUseTheirMaterialsSolidColour)
{
    ImageRegistry registry;
    FileMaterial red("red");
    red.colour[0] = 255;
    red.colour[1] = 0;
    red.colour[2] = 0;
    FileMaterial green("green");
    green.colour[0] = 0;
    green.colour[1] = 255;
    green.colour[2] = 0;
    Mesh3DS mesh;
    mesh.AttachRegistry(&registry);
    LoadSquares(mesh, {red, green});
    ASSERT_NE(registry.Find("0_3DS"), nullptr);
    ASSERT_NE(registry.Find("1_3DS"), nullptr);
    EXPECT_EQ(mesh.materials[1].texture, registry.Find("1_3DS"));
    EXPECT_TRUE(mesh.materials[0].hasTexture);

    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    mesh.textured = 1;
    mesh.Draw();
    EXPECT_TRUE(NearColour(Pixel(kLeftX, kMiddleY), 255, 0, 0));
    EXPECT_TRUE(NearColour(Pixel(kRightX, kMiddleY), 0, 255, 0));

    // A later mesh in the same registry replaces the entries of the same name.
    FileMaterial blue("blue");
    blue.colour[0] = 0;
    blue.colour[1] = 0;
    blue.colour[2] = 255;
    Mesh3DS later;
    later.AttachRegistry(&registry);
    LoadSquares(later, {blue});
    EXPECT_EQ(registry.Find("0_3DS"), later.materials[0].texture);
    EXPECT_NE(registry.Find("0_3DS"), mesh.materials[0].texture);
}

TEST_F(MeshDraw, RefusedTextureMapsDrawUntextured)
{
    ImageRegistry registry;
    FileMaterial mapped("mapped");
    mapped.textureFile = "wall.tga";
    FileMaterial red("red");
    red.colour[0] = 255;
    red.colour[1] = 0;
    red.colour[2] = 0;
    Mesh3DS mesh;
    mesh.AttachRegistry(&registry);
    LoadSquares(mesh, {mapped, red});
    // The map was offered to the registry, which takes no .tga: the material
    // counts as textured but has no texture, and gets no solid colour either.
    EXPECT_TRUE(mesh.materials[0].hasTexture);
    EXPECT_EQ(mesh.materials[0].texture, nullptr);
    EXPECT_STREQ(mesh.materials[0].textureFile, "wall.tga");
    EXPECT_EQ(registry.Find("0_3DS"), nullptr);
    EXPECT_NE(registry.Find("1_3DS"), nullptr);

    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    mesh.textured = 1;
    // The right square (red, textured) first, so that a texture left bound
    // would tint the left one.
    std::swap(mesh.objects[0], mesh.objects[1]);
    mesh.Draw();
    EXPECT_TRUE(NearColour(Pixel(kLeftX, kMiddleY), 255, 255, 255));
    EXPECT_TRUE(NearColour(Pixel(kRightX, kMiddleY), 255, 0, 0));
}

TEST_F(MeshDraw, WithoutRegistryNothingIsTextured)
{
    Mesh3DS mesh;
    mesh.textured = 1;
    LoadSquares(mesh);
    EXPECT_EQ(mesh.textured, 0);
    EXPECT_EQ(mesh.materials[0].texture, nullptr);
    EXPECT_FALSE(mesh.materials[0].hasTexture);
}

} // namespace
