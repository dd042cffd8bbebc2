#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ImageRegistry;
class Texture;

struct Float3 {
    float x, y, z;
};

struct Float2 {
    float u, v;
};

// The triangles of one object that use one material.
struct FaceGroup {
    // Its own copy of the three vertex indices of each of its triangles.
    std::vector<uint16_t> indices;
    int32_t indexCount = 0;
    // Index into the mesh's materials; materialCount when no material of the
    // group's name exists.
    int32_t material = 0;
};

struct MeshMaterial {
    char name[80] = {};
    Texture* texture = nullptr;
    // True once a texture has been assigned, even a null one.
    bool hasTexture = false;
    // White until the file gives a colour.
    uint8_t colour[3] = {255, 255, 255};
    uint8_t colourAlpha = 255;
    // The texture map's file name as the file gives it; empty without a map.
    char textureFile[80] = {};
};

struct MeshObject {
    char name[80] = {};
    // In the converted axes: x = file x, y = file z, z = -(file y).
    std::vector<Float3> vertices;
    // Unit length after loading, or zero for a vertex no triangle uses.
    std::vector<Float3> normals;
    std::vector<Float2> texCoords;
    // Three per triangle, in file order, exactly as the file gives them.
    std::vector<uint16_t> indices;
    int32_t indexCount = 0;
    int32_t groupCount = 0;
    int32_t vertexCount = 0;
    int32_t texCoordCount = 0;
    // True when the file gave mapping coordinates; otherwise texCoords hold
    // the planar fallback u = x, v = y.
    bool hasTexCoords = false;
    std::vector<FaceGroup> groups;
    float position[3] = {0.0f, 0.0f, 0.0f};
    // Degrees about x, y and z.
    float rotation[3] = {0.0f, 0.0f, 0.0f};
    bool visible = true;
    float alpha = 1.0f;
    // Mean over the object's drawable triangles of each triangle's centroid.
    Float3 centre = {0.0f, 0.0f, 0.0f};
};

// A triangle mesh read from a 3D Studio file. The reader takes untrusted
// input: it never reads outside the file or a chunk, and every repair it has
// to make is counted and kept as a warning.
class Mesh3DS {
public:
    Mesh3DS() = default;
    virtual ~Mesh3DS() = default;

    Mesh3DS(const Mesh3DS&) = delete;
    Mesh3DS& operator=(const Mesh3DS&) = delete;

    // Texture maps and solid colours of the materials go into this registry
    // when a file is loaded. Not owned.
    void AttachRegistry(ImageRegistry* imageRegistry);

    // True when the file was read whole without any repair. A file that
    // cannot be opened leaves the mesh empty. Callers may ignore the result.
    bool Load(const char* path);
    bool Load(const char* path, ImageRegistry* imageRegistry);
    // The same reader over bytes already in memory; `directory` is kept as it
    // stands and prefixed to texture map names.
    bool LoadFromMemory(const uint8_t* data, size_t size);

    // Draws with vertex arrays under the current GL state; needs a current
    // context. Changes no field.
    void Draw() const;

    // Every repair made by the last load; only the first kMaxWarnings are
    // kept as text.
    int32_t WarningCount() const { return warningCount; }
    const std::vector<std::string>& Warnings() const { return warnings; }
    static constexpr int32_t kMaxWarnings = 200;

    bool overridePolygonMode = true;
    GLenum frontPolygonMode = GL_FILL;
    GLenum backPolygonMode = GL_FILL;
    int32_t textured = 0;
    std::string directory;
    int32_t objectCount = 0;
    int32_t materialCount = 0;
    bool showNormals = false;
    std::vector<MeshMaterial> materials;
    std::vector<MeshObject> objects;
    float position[3] = {0.0f, 0.0f, 0.0f};
    // Degrees about x, y and z.
    float rotation[3] = {0.0f, 0.0f, 0.0f};
    float scale = 1.0f;
    // Whether GL lighting is on, so the normals display can switch it off
    // and on again around its lines.
    bool lighting = true;
    bool visible = true;
    float alpha = 1.0f;
    ImageRegistry* registry = nullptr;

private:
    friend class MeshReader;

    void Clear();
    bool Parse(const uint8_t* data, size_t size);
    void AddWarning(std::string text);
    void FinishObjects();
    void MakeSolidTextures();
    void DrawObject(const MeshObject& object) const;
    void DrawNormals(const MeshObject& object) const;

    int32_t warningCount = 0;
    std::vector<std::string> warnings;
};
