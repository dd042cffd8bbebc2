#include "resources/Mesh3DS.h"
#include "tests/support/ChunkWriter.h"
#include "tests/support/MeshFiles.h"
#include "tools/demotool/mesh/MeshReport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

namespace {

bool Load(Mesh3DS& mesh, const std::vector<uint8_t>& bytes)
{
    return mesh.LoadFromMemory(bytes.data(), bytes.size());
}

FileObject OneTriangle(const std::string& name, std::array<float, 3> a, std::array<float, 3> b,
                       std::array<float, 3> c)
{
    FileObject object;
    object.name = name;
    object.vertices = {a, b, c};
    object.faces = {{0, 1, 2}};
    object.groups = {{"m", {0}}};
    return object;
}

void ExpectFloat3(const Float3& v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

bool AnyWarningHas(const Mesh3DS& mesh, const std::string& part)
{
    for (const std::string& warning : mesh.Warnings())
        if (warning.find(part) != std::string::npos)
            return true;
    return false;
}

std::string TempPath(const std::string& name)
{
    return testing::TempDir() + name;
}

} // namespace

TEST(MeshReader, FileWithoutEditorDataIsEmpty)
{
    ChunkWriter out;
    out.Begin(0x4D4D);
    out.Begin(0x0002);
    out.U32(3);
    out.End();
    out.End();
    Mesh3DS mesh;
    EXPECT_TRUE(Load(mesh, out.bytes));
    EXPECT_EQ(mesh.objectCount, 0);
    EXPECT_EQ(mesh.materialCount, 0);
    EXPECT_TRUE(mesh.objects.empty());
}

TEST(MeshReader, ConvertsAxesAndComputesNormalsAndCentre)
{
    FileObject axis = OneTriangle("axis", {1, 2, 3}, {0, 0, 0}, {0, 0, 0});
    axis.faces.clear();
    axis.groups.clear();
    // Held corners (0,0,0), (1,0,0), (0,1,0); held (x, y, z) is file (x, -z, y).
    FileObject unit = OneTriangle("unit", {0, 0, 0}, {1, 0, 0}, {0, 0, 1});
    unit.vertices.push_back({5, 5, 5});
    Mesh3DS mesh;
    ASSERT_TRUE(Load(mesh, MakeMeshFile({{"m"}}, {axis, unit})));
    ASSERT_EQ(mesh.objectCount, 2);

    ExpectFloat3(mesh.objects[0].vertices[0], 1, 3, -2);
    ExpectFloat3(mesh.objects[0].centre, 0, 0, 0);

    const MeshObject& triangle = mesh.objects[1];
    for (int i = 0; i < 3; ++i)
        ExpectFloat3(triangle.normals[i], 0, 0, 1);
    // A vertex no triangle uses keeps a zero normal.
    ExpectFloat3(triangle.normals[3], 0, 0, 0);
    EXPECT_EQ(triangle.indexCount, 3);
    EXPECT_EQ(triangle.vertexCount, 4);
}

TEST(MeshReader, NormalsWeighTrianglesByArea)
{
    // Two triangles share vertex 0: a big one facing +y (held) and a small one
    // facing +z (held); the sum leans toward the big one.
    FileObject object;
    object.name = "weighted";
    object.vertices = {{0, 0, 0}, {0, -4, 0}, {4, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    object.faces = {{0, 1, 2}, {0, 3, 4}};
    Mesh3DS mesh;
    ASSERT_TRUE(Load(mesh, MakeMeshFile({}, {object})));
    const Float3 n = mesh.objects[0].normals[0];
    EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 1e-6);
    EXPECT_NEAR(n.x, 0.0, 1e-6);
    EXPECT_GT(std::fabs(n.y), 4 * std::fabs(n.z));
}

TEST(MeshReader, CentreIsTheMeanOfTriangleCentroids)
{
    FileObject object;
    object.name = "two";
    // Held centroids (0,0,0) and (2,4,6): file centroids (0,0,0) and (2,-6,4).
    object.vertices = {{-1, 0, 0}, {1, 0, 0}, {0, 0, 0}, {1, -6, 4}, {3, -6, 4}, {2, -6, 4}};
    object.faces = {{0, 1, 2}, {3, 4, 5}};
    Mesh3DS mesh;
    ASSERT_TRUE(Load(mesh, MakeMeshFile({}, {object})));
    ExpectFloat3(mesh.objects[0].centre, 1, 2, 3);
}

TEST(MeshReader, ReadsColoursLastOneWins)
{
    auto colourMaterial = [](ChunkWriter& out, const char* name, bool floatFirst) {
        out.Begin(0xAFFF);
        out.Begin(0xA000);
        out.String(name);
        out.End();
        out.Begin(0xA020);
        for (int pass = 0; pass < 2; ++pass) {
            if ((pass == 0) == floatFirst) {
                out.Begin(0x0010);
                out.F32(0.5f);
                out.F32(0.25f);
                out.F32(1.0f);
            } else {
                out.Begin(0x0011);
                out.U8(10);
                out.U8(20);
                out.U8(30);
            }
            out.End();
        }
        out.End();
        out.End();
    };
    ChunkWriter out;
    out.Begin(0x4D4D);
    out.Begin(0x3D3D);
    colourMaterial(out, "byteLast", true);
    colourMaterial(out, "floatLast", false);
    out.Begin(0xAFFF);
    out.Begin(0xA000);
    out.String("plain");
    out.End();
    out.End();
    out.End();
    out.End();
    Mesh3DS mesh;
    ASSERT_TRUE(Load(mesh, out.bytes));
    ASSERT_EQ(mesh.materialCount, 3);
    EXPECT_STREQ(mesh.materials[0].name, "byteLast");
    EXPECT_EQ(mesh.materials[0].colour[0], 10);
    EXPECT_EQ(mesh.materials[0].colour[2], 30);
    EXPECT_EQ(mesh.materials[1].colour[0], 127);
    EXPECT_EQ(mesh.materials[1].colour[1], 63);
    EXPECT_EQ(mesh.materials[1].colour[2], 255);
    EXPECT_EQ(mesh.materials[1].colourAlpha, 255);
    // No colour chunk: white.
    EXPECT_EQ(mesh.materials[2].colour[0], 255);
    EXPECT_EQ(mesh.materials[2].colour[1], 255);
    EXPECT_EQ(mesh.materials[2].colour[2], 255);
    EXPECT_EQ(mesh.materials[2].colourAlpha, 255);
    EXPECT_FALSE(mesh.materials[2].hasTexture);
}

TEST(MeshReader, GroupsFindMaterialsWrittenAfterTheObjects)
{
    FileObject object = MakeSquare("sq", 0, 0, 0, 2, "late");
    object.groups.push_back({"missing", {1}});
    ChunkWriter out;
    out.Begin(0x4D4D);
    out.Begin(0x3D3D);
    WriteObject(out, object);
    WriteMaterial(out, {"early"});
    WriteMaterial(out, {"late"});
    out.End();
    out.End();
    Mesh3DS mesh;
    ASSERT_TRUE(Load(mesh, out.bytes));
    const MeshObject& loaded = mesh.objects[0];
    ASSERT_EQ(loaded.groupCount, 2);
    EXPECT_EQ(loaded.groups[0].material, 1);
    EXPECT_EQ(loaded.groups[0].indexCount, 6);
    EXPECT_EQ(loaded.groups[1].material, mesh.materialCount);
    EXPECT_EQ(loaded.groups[1].indices, (std::vector<uint16_t>{0, 2, 3}));
}

TEST(MeshReader, GroupsTakeTheFirstMaterialOfTheirName)
{
    std::vector<FileMaterial> materials;
    for (int i = 0; i < 3000; ++i)
        materials.push_back(FileMaterial("m" + std::to_string(i % 1000)));
    std::vector<FileObject> objects;
    for (int i = 0; i < 300; ++i)
        objects.push_back(MakeSquare("o", 0, 0, 0, 1, "m" + std::to_string(i * 7 % 1000)));
    Mesh3DS mesh;
    ASSERT_TRUE(Load(mesh, MakeMeshFile(materials, objects)));
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(mesh.objects[size_t(i)].groups[0].material, i * 7 % 1000);
}

TEST(MeshReader, MappingCoordinatesFromFileOrPlanar)
{
    FileObject mapped = MakeSquare("mapped", 0, 0, 0, 2, "m");
    mapped.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    FileObject planar = MakeSquare("planar", 4, 0, 0, 2, "m");
    Mesh3DS mesh;
    ASSERT_TRUE(Load(mesh, MakeMeshFile({{"m"}}, {mapped, planar})));
    EXPECT_TRUE(mesh.objects[0].hasTexCoords);
    EXPECT_FLOAT_EQ(mesh.objects[0].texCoords[2].u, 1);
    EXPECT_FLOAT_EQ(mesh.objects[0].texCoords[2].v, 1);
    const MeshObject& flat = mesh.objects[1];
    EXPECT_FALSE(flat.hasTexCoords);
    ASSERT_EQ(flat.texCoordCount, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(flat.texCoords[i].u, flat.vertices[i].x);
        EXPECT_FLOAT_EQ(flat.texCoords[i].v, flat.vertices[i].y);
    }
}

TEST(MeshReader, ObjectsWithoutMeshAreEmptyObjects)
{
    FileObject light;
    light.name = "light";
    light.withMesh = false;
    Mesh3DS mesh;
    ASSERT_TRUE(Load(mesh, MakeMeshFile({}, {light, MakeSquare("sq", 0, 0, 0, 1, "x")})));
    ASSERT_EQ(mesh.objectCount, 2);
    EXPECT_STREQ(mesh.objects[0].name, "light");
    EXPECT_EQ(mesh.objects[0].vertexCount, 0);
    EXPECT_EQ(mesh.objects[0].indexCount, 0);
    ExpectFloat3(mesh.objects[0].centre, 0, 0, 0);
    EXPECT_TRUE(mesh.objects[0].visible);
    EXPECT_FLOAT_EQ(mesh.objects[0].alpha, 1.0f);
}

TEST(MeshReader, PathRulesSetDirectory)
{
    const std::vector<uint8_t> bytes = MakeMeshFile({}, {MakeSquare("sq", 0, 0, 0, 1, "x")});
    const std::string path = TempPath("mesh_reader_path.3ds");
    ASSERT_TRUE(WriteFileBytes(path, bytes));

    Mesh3DS plain;
    EXPECT_TRUE(plain.Load(path.c_str()));
    EXPECT_EQ(plain.directory, testing::TempDir());
    EXPECT_EQ(plain.objectCount, 1);

    Mesh3DS quoted;
    EXPECT_TRUE(quoted.Load(("\"" + path + "\" trailing").c_str()));
    EXPECT_EQ(quoted.objectCount, 1);

    Mesh3DS bare;
    EXPECT_FALSE(bare.Load("no_such_mesh_file.3ds"));
    EXPECT_EQ(bare.directory, "");
    EXPECT_EQ(bare.objectCount, 0);
    EXPECT_EQ(bare.WarningCount(), 1);

    Mesh3DS folder;
    EXPECT_FALSE(folder.Load(testing::TempDir().c_str()));
    EXPECT_EQ(folder.WarningCount(), 1);
    EXPECT_TRUE(AnyWarningHas(folder, "cannot read")) << folder.Warnings()[0];

    Mesh3DS windows;
    EXPECT_FALSE(windows.Load("data\\3ds/x\\cordel.3ds"));
    EXPECT_EQ(windows.directory, "data\\3ds/x\\");

    Mesh3DS show;
    show.Load("data/3ds/cordel.3ds");
    EXPECT_EQ(show.directory, "data/3ds/");
}

// The preview reloads a mesh while an exporter may be rewriting its file in
// place; whatever the loader sees, it must not fault.
TEST(MeshReaderRepairs, FileRewrittenWhileItIsReadNeverFaults)
{
    FileObject large = MakeSquare("large", 0, 0, 0, 2, "m");
    large.vertices.resize(60000, {1, 2, 3});
    const std::vector<uint8_t> bytes = MakeMeshFile({{"m"}}, {large});
    const std::string path = TempPath("rewritten.3ds");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    std::atomic<bool> stop{false};
    std::thread exporter([&] {
        while (!stop.load()) {
            std::FILE* file = std::fopen(path.c_str(), "wb");
            if (file == nullptr)
                continue;
            std::fwrite(bytes.data(), 1, bytes.size() / 2, file);
            std::fflush(file);
            std::fwrite(bytes.data() + bytes.size() / 2, 1, bytes.size() - bytes.size() / 2, file);
            std::fclose(file);
            // Whole for a moment, so that most loads start on a whole file.
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    for (int i = 0; i < 300; ++i) {
        Mesh3DS mesh;
        mesh.Load(path.c_str());
    }
    stop.store(true);
    exporter.join();
    Mesh3DS settled;
    EXPECT_TRUE(settled.Load(path.c_str()));
    EXPECT_EQ(settled.objects[0].vertexCount, 60000);
}

TEST(MeshReaderRepairs, BadVertexIndicesAreKeptOutOfEverything)
{
    FileObject object = MakeSquare("bad", 0, 0, 0, 2, "m");
    // Vertex 4 is the first one beyond the square's four.
    object.faces.push_back({0, 1, 4});
    object.groups = {{"m", {0, 1, 2}}};
    Mesh3DS mesh;
    EXPECT_FALSE(Load(mesh, MakeMeshFile({{"m"}}, {object})));
    const MeshObject& loaded = mesh.objects[0];
    EXPECT_EQ(loaded.indexCount, 9);
    EXPECT_EQ(loaded.indices[8], 4);
    EXPECT_EQ(loaded.groups[0].indexCount, 6);
    // The centre and normals come from the two good faces only.
    ExpectFloat3(loaded.centre, 0, 0, 0);
    ExpectFloat3(loaded.normals[1], 0, 0, 1);
    EXPECT_EQ(mesh.WarningCount(), 1);
    EXPECT_TRUE(AnyWarningHas(mesh, "vertex index"));
}

// Sub-chunks may repeat in any order: here a second triangle mesh replaces
// the four vertices that the first one's faces and group were read against.
TEST(MeshReaderRepairs, VerticesReplacedAfterTheFacesLeaveNothingThatNamesThem)
{
    ChunkWriter square;
    WriteObject(square, MakeSquare("late", 0, 0, 0, 2, "m"));
    ChunkWriter out;
    out.Begin(0x4D4D);
    out.Begin(0x3D3D);
    WriteMaterial(out, {"m"});
    out.Begin(0x4000);
    out.String("late");
    out.bytes.insert(out.bytes.end(), square.bytes.begin() + ptrdiff_t(square.chunkStarts[1]), square.bytes.end());
    out.Begin(0x4100);
    out.Begin(0x4110);
    out.U16(1);
    for (float c : {5.0f, 5.0f, 5.0f})
        out.F32(c);
    out.End();
    out.End();
    out.End();
    out.End();
    out.End();
    Mesh3DS mesh;
    EXPECT_FALSE(Load(mesh, out.bytes));
    const MeshObject& loaded = mesh.objects[0];
    ASSERT_EQ(loaded.vertexCount, 1);
    ASSERT_EQ(loaded.groupCount, 1);
    EXPECT_EQ(loaded.groups[0].indexCount, 0);
    EXPECT_TRUE(loaded.groups[0].indices.empty());
    ExpectFloat3(loaded.normals[0], 0, 0, 0);
    ExpectFloat3(loaded.centre, 0, 0, 0);
    EXPECT_EQ(mesh.WarningCount(), 1);
    EXPECT_TRUE(AnyWarningHas(mesh, "2 of 2 faces use a vertex index beyond its 1 vertices; 2 triangles"));
}

TEST(MeshReaderRepairs, FaceNumbersBeyondTheFaceCountAreSkipped)
{
    FileObject object = MakeSquare("sq", 0, 0, 0, 2, "m");
    object.groups = {{"m", {1, 2, 65535, 0}}};
    Mesh3DS mesh;
    EXPECT_FALSE(Load(mesh, MakeMeshFile({{"m"}}, {object})));
    EXPECT_EQ(mesh.objects[0].groups[0].indices, (std::vector<uint16_t>{0, 2, 3, 0, 1, 2}));
    EXPECT_TRUE(AnyWarningHas(mesh, "face numbers"));
}

TEST(MeshReaderRepairs, MappingCoordinateCountsAreMatchedToVertices)
{
    FileObject fewer = MakeSquare("fewer", 0, 0, 0, 2, "m");
    fewer.texCoords = {{0.5f, 0.5f}};
    FileObject more = MakeSquare("more", 0, 0, 0, 2, "m");
    more.texCoords = {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {7, 7}, {8, 8}};
    Mesh3DS mesh;
    EXPECT_FALSE(Load(mesh, MakeMeshFile({{"m"}}, {fewer, more})));
    const MeshObject& a = mesh.objects[0];
    ASSERT_EQ(a.texCoordCount, 4);
    EXPECT_TRUE(a.hasTexCoords);
    EXPECT_FLOAT_EQ(a.texCoords[0].u, 0.5f);
    EXPECT_FLOAT_EQ(a.texCoords[3].u, a.vertices[3].x);
    EXPECT_FLOAT_EQ(a.texCoords[3].v, a.vertices[3].y);
    EXPECT_EQ(mesh.objects[1].texCoordCount, 4);
    EXPECT_EQ(mesh.objects[1].texCoords.size(), 4u);
    EXPECT_EQ(mesh.WarningCount(), 2);
}

TEST(MeshReaderRepairs, LongAndUnterminatedNamesAreCut)
{
    const std::string longName(120, 'n');
    FileObject object = MakeSquare(longName, 0, 0, 0, 2, longName);
    Mesh3DS mesh;
    EXPECT_FALSE(Load(mesh, MakeMeshFile({{longName}}, {object})));
    EXPECT_EQ(std::string(mesh.objects[0].name), longName.substr(0, 79));
    EXPECT_EQ(std::string(mesh.materials[0].name), longName.substr(0, 79));
    EXPECT_EQ(mesh.objects[0].groups[0].material, 0);
    EXPECT_EQ(mesh.objects[0].vertexCount, 4);

    ChunkWriter out;
    out.Begin(0x4D4D);
    out.Begin(0x3D3D);
    out.Begin(0x4000);
    for (int i = 0; i < 10; ++i)
        out.U8('a');
    out.End();
    out.End();
    out.End();
    Mesh3DS unterminated;
    EXPECT_FALSE(Load(unterminated, out.bytes));
    ASSERT_EQ(unterminated.objectCount, 1);
    EXPECT_STREQ(unterminated.objects[0].name, "aaaaaaaaaa");
    EXPECT_TRUE(AnyWarningHas(unterminated, "terminating zero"));
}

TEST(MeshReaderRepairs, CountsBeyondTheChunkReadOnlyWhatIsThere)
{
    ChunkWriter out;
    out.Begin(0x4D4D);
    out.Begin(0x3D3D);
    out.Begin(0x4000);
    out.String("short");
    out.Begin(0x4100);
    out.Begin(0x4110);
    out.U16(1000);
    for (float c : {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f})
        out.F32(c);
    out.End();
    out.Begin(0x4120);
    out.U16(500);
    for (uint16_t i : {0, 1, 1, 0})
        out.U16(i);
    out.End();
    out.End();
    out.End();
    out.End();
    out.End();
    Mesh3DS mesh;
    EXPECT_FALSE(Load(mesh, out.bytes));
    const MeshObject& object = mesh.objects[0];
    EXPECT_EQ(object.vertexCount, 2);
    ExpectFloat3(object.vertices[1], 4, 6, -5);
    EXPECT_EQ(object.indexCount, 3);
    EXPECT_EQ(object.groupCount, 0);
    EXPECT_EQ(mesh.WarningCount(), 2);
}

TEST(MeshReaderRepairs, BadChunkLengthsStopTheirParentOnly)
{
    FileObject first = MakeSquare("first", 0, 0, 0, 2, "m");
    FileObject second = MakeSquare("second", 3, 0, 0, 2, "m");
    for (uint32_t badLength : {0u, 1u, 5u, 0xFFFFFFFFu}) {
        ChunkWriter out;
        out.Begin(0x4D4D);
        out.Begin(0x3D3D);
        WriteObject(out, first);
        const size_t secondStart = out.Size();
        WriteObject(out, second);
        out.End();
        out.End();
        out.PatchU32(ChunkWriter::LengthField(secondStart), badLength);
        Mesh3DS mesh;
        EXPECT_FALSE(Load(mesh, out.bytes)) << badLength;
        ASSERT_EQ(mesh.objectCount, 1) << badLength;
        EXPECT_STREQ(mesh.objects[0].name, "first");
        EXPECT_EQ(mesh.objects[0].groups[0].indexCount, 6);
    }
}

TEST(MeshReaderRepairs, TooShortInputs)
{
    for (size_t size = 0; size < 6; ++size) {
        const std::vector<uint8_t> bytes(size, 0x4D);
        Mesh3DS mesh;
        EXPECT_FALSE(mesh.LoadFromMemory(bytes.data(), bytes.size()));
        EXPECT_EQ(mesh.objectCount, 0);
    }
    Mesh3DS none;
    EXPECT_FALSE(none.LoadFromMemory(nullptr, 100));
}

TEST(MeshReaderRepairs, WarningsAreCountedBeyondTheListedOnes)
{
    std::vector<FileObject> objects;
    for (int i = 0; i < Mesh3DS::kMaxWarnings + 50; ++i) {
        FileObject object = MakeSquare("o", 0, 0, 0, 1, "m");
        object.groups[0].faces = {5};
        objects.push_back(object);
    }
    Mesh3DS mesh;
    EXPECT_FALSE(Load(mesh, MakeMeshFile({{"m"}}, objects)));
    EXPECT_EQ(mesh.WarningCount(), Mesh3DS::kMaxWarnings + 50);
    EXPECT_EQ(int32_t(mesh.Warnings().size()), Mesh3DS::kMaxWarnings);
}

// Every cut and every bad length of a complete file must load without a crash
// and report the damage.
class MeshReaderDamage : public testing::Test {
protected:
    void SetUp() override
    {
        FileObject mapped = MakeSquare("mapped", 0, 0, 0, 2, "tex");
        mapped.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        FileMaterial textured{"tex"};
        textured.textureFile = "wall.png";
        FileObject light;
        light.name = "light";
        light.withMesh = false;
        ChunkWriter out;
        out.Begin(0x4D4D);
        out.Begin(0x0002);
        out.U32(3);
        out.End();
        out.Begin(0x3D3D);
        WriteMaterial(out, textured);
        WriteMaterial(out, {"plain"});
        WriteObject(out, mapped);
        WriteObject(out, light);
        WriteObject(out, MakeSquare("plain", 3, 0, 0, 2, "plain"));
        out.End();
        out.End();
        file = out;
    }

    ChunkWriter file;
};

TEST_F(MeshReaderDamage, TruncationAnywhereIsReported)
{
    Mesh3DS whole;
    ASSERT_TRUE(Load(whole, file.bytes));
    ASSERT_EQ(whole.objectCount, 3);
    for (size_t size = 0; size < file.bytes.size(); ++size) {
        Mesh3DS mesh;
        EXPECT_FALSE(mesh.LoadFromMemory(file.bytes.data(), size)) << size;
        EXPECT_GT(mesh.WarningCount(), 0) << size;
    }
}

TEST_F(MeshReaderDamage, TruncatedFileKeepsNothingOfACutChunk)
{
    const size_t cut = file.chunkStarts.back() + 3;
    Mesh3DS mesh;
    EXPECT_FALSE(mesh.LoadFromMemory(file.bytes.data(), cut));
    EXPECT_EQ(mesh.objectCount, 0);
    EXPECT_TRUE(AnyWarningHas(mesh, "file ends"));
}

TEST_F(MeshReaderDamage, EveryBadLengthOnEveryChunkIsSurvived)
{
    for (size_t start : file.chunkStarts) {
        const size_t field = ChunkWriter::LengthField(start);
        const uint32_t original = uint32_t(file.bytes[field]) | uint32_t(file.bytes[field + 1]) << 8 |
                                  uint32_t(file.bytes[field + 2]) << 16 | uint32_t(file.bytes[field + 3]) << 24;
        for (uint32_t length : {0u, 1u, 5u, 6u, 0xFFFFFFFFu, original + 1}) {
            std::vector<uint8_t> bytes = file.bytes;
            for (int i = 0; i < 4; ++i)
                bytes[field + i] = uint8_t(length >> (8 * i));
            Mesh3DS mesh;
            const bool whole = mesh.LoadFromMemory(bytes.data(), bytes.size());
            if (length != 6 && length != original) {
                EXPECT_FALSE(whole) << "chunk at " << start << " length " << length;
            }
            for (const MeshObject& object : mesh.objects)
                for (const FaceGroup& group : object.groups)
                    for (uint16_t index : group.indices)
                        ASSERT_LT(index, object.vertexCount);
        }
    }
}

TEST(MeshReaderStress, DeepNestingEnds)
{
    ChunkWriter out;
    out.Begin(0x4D4D);
    out.Begin(0x3D3D);
    for (int i = 0; i < 100000; ++i)
        out.Begin(i % 2 ? 0x3D3D : 0x4000);
    for (int i = 0; i < 100000; ++i)
        out.End();
    out.End();
    out.End();
    Mesh3DS mesh;
    Load(mesh, out.bytes);
    // Only the outermost object is an object; what nests inside its name is
    // its name and unknown chunks.
    EXPECT_EQ(mesh.objectCount, 1);
}

TEST(MeshReaderStress, SixtyThousandEmptyObjects)
{
    ChunkWriter out;
    out.Begin(0x4D4D);
    out.Begin(0x3D3D);
    for (int i = 0; i < 60000; ++i) {
        out.Begin(0x4000);
        out.U8(0);
        out.End();
    }
    out.End();
    out.End();
    Mesh3DS mesh;
    EXPECT_TRUE(Load(mesh, out.bytes));
    EXPECT_EQ(mesh.objectCount, 60000);
    EXPECT_EQ(mesh.objects.back().vertexCount, 0);
}

TEST(MeshTool, JsonHasEveryFieldInOrder)
{
    FileObject object = OneTriangle("tri\xE9", {0, 0, 0}, {1, 0, 0}, {0, 0, 1});
    object.texCoords = {{0.1f, 0.2f}, {1, 0}, {0, 1}};
    FileMaterial material{"m"};
    material.colour[0] = 1;
    material.colour[1] = 2;
    material.colour[2] = 3;
    material.textureFile = "a\"b.png";
    Mesh3DS mesh;
    ASSERT_TRUE(Load(mesh, MakeMeshFile({material}, {object})));
    EXPECT_EQ(MeshJson(mesh),
              "{\"objects\":[{\"name\":\"tri\\u00e9\",\"vertices\":[[0,0,-0],[1,0,-0],[0,1,-0]],"
              "\"normals\":[[0,0,1],[0,0,1],[0,0,1]],\"texCoords\":[[0.100000001,0.200000003],[1,0],[0,1]],"
              "\"hasTexCoords\":true,\"indices\":[0,1,2],\"centre\":[0.333333343,0.333333343,0],"
              "\"groups\":[{\"material\":0,\"indices\":[0,1,2]}]}],"
              "\"materials\":[{\"name\":\"m\",\"colour\":[1,2,3],\"colourAlpha\":255,\"hasTexture\":false,"
              "\"textureFile\":\"a\\\"b.png\"}],\"warnings\":[]}");
}

TEST(MeshTool, SummaryAndExitStatus)
{
    const std::string good = TempPath("mesh_tool_good.3ds");
    const std::string bad = TempPath("mesh_tool_bad.3ds");
    FileObject object = MakeSquare("square", 0, 0, 0, 2, "m");
    ASSERT_TRUE(WriteFileBytes(good, MakeMeshFile({{"m"}}, {object})));
    object.groups[0].faces.push_back(7);
    ASSERT_TRUE(WriteFileBytes(bad, MakeMeshFile({{"m"}}, {object})));

    auto run = [](std::vector<std::string> args, std::string& output) {
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int status = RunMeshCommand(int(argv.size()), argv.data(), out, err);
        output.assign(size_t(std::ftell(out)), '\0');
        std::rewind(out);
        output.resize(std::fread(output.data(), 1, output.size(), out));
        std::fclose(out);
        std::fclose(err);
        return status;
    };
    std::string text;
    EXPECT_EQ(run({"mesh", good}, text), 0);
    EXPECT_NE(text.find("objects: 1\nvertices: 4\ntriangles: 2\nmaterials: 1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("bounding box: (-1, -1, -0) to (1, 1, -0)"), std::string::npos) << text;
    EXPECT_NE(text.find("object 0 \"square\": 4 vertices, 2 triangles, 1 groups, no mapping coordinates"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("warnings: 0"), std::string::npos);

    EXPECT_EQ(run({"mesh", bad}, text), 1);
    EXPECT_NE(text.find("warnings: 1\n  object \"square\", material group \"m\""), std::string::npos) << text;
    EXPECT_EQ(run({"mesh", "--json", bad}, text), 1);
    EXPECT_EQ(text.rfind("{\"objects\":[{\"name\":\"square\"", 0), 0u);
    EXPECT_NE(text.find("\"warnings\":[\"object"), std::string::npos);

    EXPECT_EQ(run({"mesh", TempPath("mesh_tool_missing.3ds")}, text), 1);
    EXPECT_EQ(run({"mesh"}, text), 2);
    EXPECT_EQ(run({"mesh", "--bogus", good}, text), 2);
    EXPECT_EQ(run({"mesh", "--help"}, text), 0);
    EXPECT_NE(text.find("usage: demotool mesh"), std::string::npos);
}
