#include "resources/MeshReader.h"

#include "resources/ImageRegistry.h"
#include "resources/Mesh3DS.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#ifndef GL_CLAMP
#define GL_CLAMP 0x2900
#endif

namespace {

constexpr uint16_t kEditor = 0x3D3D;
constexpr uint16_t kMaterial = 0xAFFF;
constexpr uint16_t kMaterialName = 0xA000;
constexpr uint16_t kDiffuse = 0xA020;
constexpr uint16_t kColourFloat = 0x0010;
constexpr uint16_t kColourByte = 0x0011;
constexpr uint16_t kColourByteGamma = 0x0012;
constexpr uint16_t kColourFloatGamma = 0x0013;
constexpr uint16_t kTextureMap = 0xA200;
constexpr uint16_t kTextureFile = 0xA300;
constexpr uint16_t kObject = 0x4000;
constexpr uint16_t kTriangleMesh = 0x4100;
constexpr uint16_t kVertexList = 0x4110;
constexpr uint16_t kFaceList = 0x4120;
constexpr uint16_t kFaceGroup = 0x4130;
constexpr uint16_t kMappingCoords = 0x4140;

constexpr size_t kHeaderSize = 6;
// The chunk grammar nests six levels at most; this only guards the walk.
constexpr int kMaxDepth = 64;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Truncates toward zero as the colour bytes always have, but keeps values
// outside 0..1 (and NaN) from turning into undefined conversions.
uint8_t ColourByte(float value, bool& clamped)
{
    const float scaled = value * 255.0f;
    if (!(scaled >= 0.0f)) {
        clamped = true;
        return 0;
    }
    if (scaled >= 256.0f) {
        clamped = true;
        return 255;
    }
    return static_cast<uint8_t>(scaled);
}

} // namespace

MeshReader::MeshReader(Mesh3DS& target, const uint8_t* data, size_t dataSize)
    : mesh(target), bytes(data), size(dataSize)
{
}

uint16_t MeshReader::U16(size_t at) const
{
    return uint16_t(bytes[at] | (bytes[at + 1] << 8));
}

uint32_t MeshReader::U32(size_t at) const
{
    return uint32_t(bytes[at]) | (uint32_t(bytes[at + 1]) << 8) | (uint32_t(bytes[at + 2]) << 16) |
           (uint32_t(bytes[at + 3]) << 24);
}

float MeshReader::F32(size_t at) const
{
    const uint32_t bits = U32(at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void MeshReader::Read()
{
    if (size < kHeaderSize) {
        mesh.AddWarning(Format("file of %zu bytes is too short for a chunk header", size));
        return;
    }
    const uint32_t length = U32(2);
    if (length < kHeaderSize) {
        mesh.AddWarning(Format("first chunk has length %u, below 6; nothing read", length));
        return;
    }
    Chunk root{U16(0), 0, kHeaderSize, length};
    if (length > size) {
        mesh.AddWarning(Format("file ends at %zu bytes, before its first chunk's %u", size, length));
        root.end = size;
    }
    Walk(root, root.data, true, [&](const Chunk& child) {
        if (child.id == kEditor)
            ReadEditor(child);
    });
}

template <typename Visit>
void MeshReader::Walk(const Chunk& parent, size_t begin, bool report, Visit&& visit)
{
    if (depth >= kMaxDepth) {
        if (report)
            mesh.AddWarning(Format("chunk 0x%04X at offset %zu nests too deep; its content is skipped", parent.id,
                                   parent.start));
        return;
    }
    ++depth;
    size_t at = begin;
    while (at < parent.end) {
        const size_t room = parent.end - at;
        if (room < kHeaderSize || U32(at + 2) < kHeaderSize || U32(at + 2) > room) {
            if (report)
                ReportBadChild(parent, at, parent.end);
            break;
        }
        const size_t length = U32(at + 2);
        visit(Chunk{U16(at), at, at + kHeaderSize, at + length});
        at += length;
    }
    --depth;
}

void MeshReader::ReportBadChild(const Chunk& parent, size_t at, size_t end)
{
    const size_t room = end - at;
    if (room < kHeaderSize) {
        mesh.AddWarning(Format("chunk 0x%04X at offset %zu ends with %zu stray bytes; they are skipped", parent.id,
                               parent.start, room));
        return;
    }
    const uint32_t length = U32(at + 2);
    if (length < kHeaderSize)
        mesh.AddWarning(Format("chunk 0x%04X at offset %zu has length %u, below 6; the rest of chunk 0x%04X is "
                               "skipped",
                               U16(at), at, length, parent.id));
    else
        mesh.AddWarning(Format("chunk 0x%04X at offset %zu has length %u, reaching %zu bytes beyond its parent "
                               "0x%04X; the rest of the parent is skipped",
                               U16(at), at, length, size_t(length) - room, parent.id));
}

void MeshReader::ReadEditor(const Chunk& editor)
{
    // Count first and read materials before objects, so that every face group
    // finds its material whatever the order of the chunks.
    size_t objectTotal = 0;
    size_t materialTotal = 0;
    Walk(editor, editor.data, true, [&](const Chunk& child) {
        objectTotal += child.id == kObject;
        materialTotal += child.id == kMaterial;
    });
    // Each editor chunk replaces what an earlier one gave.
    mesh.materials.assign(materialTotal, MeshMaterial{});
    mesh.materialCount = int32_t(materialTotal);
    size_t next = 0;
    Walk(editor, editor.data, false, [&](const Chunk& child) {
        if (child.id == kMaterial)
            ReadMaterial(child, mesh.materials[next++]);
    });
    // Many groups may look up many materials; the first of a name wins.
    materialIndex.clear();
    for (int32_t i = 0; i < mesh.materialCount; ++i)
        materialIndex.emplace(mesh.materials[size_t(i)].name, i);
    mesh.objects.clear();
    mesh.objects.resize(objectTotal);
    mesh.objectCount = int32_t(objectTotal);
    next = 0;
    Walk(editor, editor.data, false, [&](const Chunk& child) {
        if (child.id == kObject)
            ReadObject(child, mesh.objects[next++]);
    });
}

void MeshReader::ReadMaterial(const Chunk& chunk, MeshMaterial& material)
{
    Walk(chunk, chunk.data, true, [&](const Chunk& child) {
        if (child.id == kMaterialName)
            ReadString(child.data, child.end, material.name, "material name");
        else if (child.id == kDiffuse)
            ReadColour(child, material);
        else if (child.id == kTextureMap)
            ReadTextureMap(child, material);
    });
}

void MeshReader::ReadColour(const Chunk& chunk, MeshMaterial& material)
{
    Walk(chunk, chunk.data, true, [&](const Chunk& child) {
        const size_t room = child.end - child.data;
        if (child.id == kColourFloat || child.id == kColourFloatGamma) {
            if (room < 12) {
                mesh.AddWarning(Format("colour chunk at offset %zu holds %zu of its 12 bytes; ignored", child.start,
                                       room));
                return;
            }
            bool clamped = false;
            for (int i = 0; i < 3; ++i)
                material.colour[i] = ColourByte(F32(child.data + 4 * i), clamped);
            material.colourAlpha = 255;
            if (clamped)
                mesh.AddWarning(Format("colour chunk at offset %zu lies outside 0..1; clamped", child.start));
        } else if (child.id == kColourByte || child.id == kColourByteGamma) {
            if (room < 3) {
                mesh.AddWarning(Format("colour chunk at offset %zu holds %zu of its 3 bytes; ignored", child.start,
                                       room));
                return;
            }
            for (int i = 0; i < 3; ++i)
                material.colour[i] = bytes[child.data + i];
            material.colourAlpha = 255;
        }
    });
}

void MeshReader::ReadTextureMap(const Chunk& chunk, MeshMaterial& material)
{
    Walk(chunk, chunk.data, true, [&](const Chunk& child) {
        if (child.id != kTextureFile)
            return;
        ReadString(child.data, child.end, material.textureFile, "texture file name");
        if (mesh.registry == nullptr)
            return;
        std::string path = mesh.directory + material.textureFile;
        if (path.size() > 79) {
            mesh.AddWarning(Format("texture path \"%s\" is longer than 79 characters; cut", path.c_str()));
            path.resize(79);
        }
        mesh.registry->LoadImage(material.textureFile, path, GL_CLAMP);
        material.texture = mesh.registry->Find(material.textureFile);
        material.hasTexture = true;
    });
}

void MeshReader::ReadObject(const Chunk& chunk, MeshObject& object)
{
    const size_t after = ReadString(chunk.data, chunk.end, object.name, "object name");
    Walk(chunk, after, true, [&](const Chunk& child) {
        if (child.id == kTriangleMesh)
            ReadTriangleMesh(child, object);
    });
    // Only here are the object's vertices final: a later vertex list may
    // replace the one that earlier faces were read against.
    CompleteObject(object);
}

void MeshReader::ReadTriangleMesh(const Chunk& chunk, MeshObject& object)
{
    // Vertices first, whatever the order in the file, so that faces can use them.
    Walk(chunk, chunk.data, true, [&](const Chunk& child) {
        if (child.id == kVertexList)
            ReadVertices(child, object);
        else if (child.id == kMappingCoords)
            ReadTexCoords(child, object);
    });
    Walk(chunk, chunk.data, false, [&](const Chunk& child) {
        if (child.id == kFaceList)
            ReadFaces(child, object);
    });
}

size_t MeshReader::FittingCount(size_t count, size_t recordSize, size_t begin, size_t end, const Chunk& chunk)
{
    const size_t room = begin <= end ? (end - begin) / recordSize : 0;
    if (count <= room)
        return count;
    mesh.AddWarning(Format("chunk 0x%04X at offset %zu counts %zu records but holds %zu; the rest is not read",
                           chunk.id, chunk.start, count, room));
    return room;
}

void MeshReader::ReadVertices(const Chunk& chunk, MeshObject& object)
{
    const size_t count = chunk.end - chunk.data < 2 ? 0 : U16(chunk.data);
    if (chunk.end - chunk.data < 2)
        mesh.AddWarning(Format("vertex list at offset %zu has no count", chunk.start));
    const size_t kept = FittingCount(count, 12, chunk.data + 2, chunk.end, chunk);
    object.vertexCount = int32_t(kept);
    object.vertices.resize(kept);
    object.normals.assign(kept, Float3{0.0f, 0.0f, 0.0f});
    size_t at = chunk.data + 2;
    for (Float3& vertex : object.vertices) {
        // The file's z axis is up; ours is y, with the file's y pointing into -z.
        vertex = {F32(at), F32(at + 8), -F32(at + 4)};
        at += 12;
    }
}

void MeshReader::ReadTexCoords(const Chunk& chunk, MeshObject& object)
{
    const size_t count = chunk.end - chunk.data < 2 ? 0 : U16(chunk.data);
    if (chunk.end - chunk.data < 2)
        mesh.AddWarning(Format("mapping coordinates at offset %zu have no count", chunk.start));
    const size_t kept = FittingCount(count, 8, chunk.data + 2, chunk.end, chunk);
    object.texCoordCount = int32_t(kept);
    object.texCoords.resize(kept);
    size_t at = chunk.data + 2;
    for (Float2& coord : object.texCoords) {
        coord = {F32(at), F32(at + 4)};
        at += 8;
    }
    object.hasTexCoords = true;
}

void MeshReader::ReadFaces(const Chunk& chunk, MeshObject& object)
{
    const size_t count = chunk.end - chunk.data < 2 ? 0 : U16(chunk.data);
    if (chunk.end - chunk.data < 2)
        mesh.AddWarning(Format("face list at offset %zu has no count", chunk.start));
    const size_t faceCount = FittingCount(count, 8, chunk.data + 2, chunk.end, chunk);
    object.indexCount = int32_t(3 * faceCount);
    object.indices.resize(3 * faceCount);
    size_t at = chunk.data + 2;
    for (size_t face = 0; face < faceCount; ++face, at += 8) {
        object.indices[3 * face] = U16(at);
        object.indices[3 * face + 1] = U16(at + 2);
        object.indices[3 * face + 2] = U16(at + 4);
    }

    // Material groups follow the face data; a cut face list has none.
    object.groups.clear();
    object.groupCount = 0;
    if (faceCount < count)
        return;
    Chunk groupsArea = chunk;
    groupsArea.data = at;
    size_t groupTotal = 0;
    Walk(groupsArea, at, true, [&](const Chunk& child) { groupTotal += child.id == kFaceGroup; });
    object.groups.assign(groupTotal, FaceGroup{});
    object.groupCount = int32_t(groupTotal);
    size_t next = 0;
    Walk(groupsArea, at, false, [&](const Chunk& child) {
        if (child.id == kFaceGroup)
            ReadGroup(child, object, object.groups[next++]);
    });
}

void MeshReader::CompleteObject(MeshObject& object)
{
    const size_t vertexCount = object.vertices.size();
    const auto inside = [vertexCount](const uint16_t* corners) {
        return corners[0] < vertexCount && corners[1] < vertexCount && corners[2] < vertexCount;
    };

    const size_t faceCount = object.indices.size() / 3;
    const Float3* vertices = object.vertices.data();
    Float3* normals = object.normals.data();
    // Plain scalars: the loop runs once per triangle of every object.
    float centreX = 0.0f, centreY = 0.0f, centreZ = 0.0f;
    size_t drawable = 0;
    for (size_t face = 0; face < faceCount; ++face) {
        const uint16_t* corners = &object.indices[3 * face];
        if (!inside(corners))
            continue;
        const uint16_t a = corners[0], b = corners[1], c = corners[2];
        const float ax = vertices[a].x, ay = vertices[a].y, az = vertices[a].z;
        const float bx = vertices[b].x, by = vertices[b].y, bz = vertices[b].z;
        const float cx = vertices[c].x, cy = vertices[c].y, cz = vertices[c].z;
        centreX += (ax + bx + cx) / 3.0f;
        centreY += (ay + by + cy) / 3.0f;
        centreZ += (az + bz + cz) / 3.0f;
        // (B - C) x (B - A), unnormalised, so that larger triangles weigh more.
        const float ux = bx - cx, uy = by - cy, uz = bz - cz;
        const float vx = bx - ax, vy = by - ay, vz = bz - az;
        const float nx = uy * vz - uz * vy;
        const float ny = uz * vx - ux * vz;
        const float nz = ux * vy - uy * vx;
        for (const uint16_t corner : {a, b, c}) {
            normals[corner].x += nx;
            normals[corner].y += ny;
            normals[corner].z += nz;
        }
        ++drawable;
    }
    object.centre = {0.0f, 0.0f, 0.0f};
    if (drawable > 0) {
        const float n = float(drawable);
        object.centre = {centreX / n, centreY / n, centreZ / n};
    }

    // The draw call indexes the vertex arrays with what the groups hold.
    size_t dropped = 0;
    for (FaceGroup& group : object.groups) {
        uint16_t* indices = group.indices.data();
        size_t kept = 0;
        for (size_t i = 0; i + 3 <= group.indices.size(); i += 3) {
            if (!inside(indices + i)) {
                ++dropped;
                continue;
            }
            std::copy(indices + i, indices + i + 3, indices + kept);
            kept += 3;
        }
        group.indices.resize(kept);
        group.indexCount = int32_t(kept);
    }
    if (drawable < faceCount || dropped > 0)
        mesh.AddWarning(Format("object \"%s\": %zu of %zu faces use a vertex index beyond its %zu vertices; %zu "
                               "triangles of its material groups are dropped",
                               object.name, faceCount - drawable, faceCount, vertexCount, dropped));
}

void MeshReader::ReadGroup(const Chunk& chunk, const MeshObject& object, FaceGroup& group)
{
    char name[80];
    const size_t after = ReadString(chunk.data, chunk.end, name, "material group name");
    const auto found = materialIndex.find(name);
    group.material = found != materialIndex.end() ? found->second : mesh.materialCount;
    const size_t count = chunk.end - after < 2 ? 0 : U16(after);
    if (chunk.end - after < 2)
        mesh.AddWarning(Format("material group \"%s\" at offset %zu has no count", name, chunk.start));
    const size_t listed = FittingCount(count, 2, after + 2, chunk.end, chunk);

    const size_t faceCount = object.indices.size() / 3;
    size_t beyond = 0;
    group.indices.reserve(3 * listed);
    for (size_t i = 0; i < listed; ++i) {
        const size_t face = U16(after + 2 + 2 * i);
        if (face >= faceCount) {
            ++beyond;
            continue;
        }
        const uint16_t* corners = &object.indices[3 * face];
        group.indices.insert(group.indices.end(), corners, corners + 3);
    }
    group.indexCount = int32_t(group.indices.size());
    if (beyond > 0)
        mesh.AddWarning(Format("object \"%s\", material group \"%s\": %zu face numbers at or beyond the face count "
                               "%zu; skipped",
                               object.name, name, beyond, faceCount));
}

size_t MeshReader::ReadString(size_t begin, size_t end, char (&out)[80], const char* what)
{
    if (begin >= end) {
        out[0] = '\0';
        mesh.AddWarning(Format("%s at offset %zu is missing", what, begin));
        return end;
    }
    const void* zero = std::memchr(bytes + begin, 0, end - begin);
    const size_t length = zero ? size_t(static_cast<const uint8_t*>(zero) - (bytes + begin)) : end - begin;
    const size_t kept = length < sizeof out ? length : sizeof out - 1;
    std::memcpy(out, bytes + begin, kept);
    out[kept] = '\0';
    if (!zero)
        mesh.AddWarning(Format("%s \"%s\" at offset %zu has no terminating zero", what, out, begin));
    else if (kept < length)
        mesh.AddWarning(Format("%s \"%s...\" at offset %zu is longer than 79 characters; cut", what, out, begin));
    return zero ? begin + length + 1 : end;
}
