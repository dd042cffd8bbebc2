#include "resources/Mesh3DS.h"

#include "platform/MappedFile.h"
#include "resources/ImageRegistry.h"
#include "resources/MeshReader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <memory>

namespace {

// The path used is the first run of characters without a double quote, so a
// quoted path works as well as a bare one.
std::string StripQuotes(const char* path)
{
    const char* begin = path;
    while (*begin == '"')
        ++begin;
    const char* end = begin;
    while (*end != '\0' && *end != '"')
        ++end;
    return std::string(begin, end);
}

std::string DirectoryOf(const std::string& path)
{
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// The whole file, mapped read-only: the reader walks it in place, so a large
// mesh costs no copy. Files that cannot be mapped (empty ones, pipes) are read
// into memory instead, at most as far as the first chunk's length reaches.
class MeshFileBytes {
public:
    bool Open(const std::string& path)
    {
        if (mapping.Map(path.c_str()))
            return true;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr)
            return false;
        const bool readable = ReadAll(file);
        std::fclose(file);
        return readable;
    }

    const uint8_t* Data() const { return mapping.Data() != nullptr ? mapping.Data() : copy.data(); }
    size_t Size() const { return mapping.Data() != nullptr ? mapping.Size() : copy.size(); }

private:
    bool ReadAll(std::FILE* file)
    {
        size_t limit = 6;
        uint8_t block[65536];
        while (copy.size() < limit) {
            const size_t got = std::fread(block, 1, std::min(sizeof block, limit - copy.size()), file);
            if (got == 0)
                return std::ferror(file) == 0;
            copy.insert(copy.end(), block, block + got);
            if (copy.size() >= 6 && limit == 6)
                limit = std::max<size_t>(6, uint32_t(copy[2]) | (uint32_t(copy[3]) << 8) |
                                                (uint32_t(copy[4]) << 16) | (uint32_t(copy[5]) << 24));
        }
        return true;
    }

    MappedFile mapping;
    std::vector<uint8_t> copy;
};

} // namespace

void Mesh3DS::AttachRegistry(ImageRegistry* imageRegistry)
{
    registry = imageRegistry;
}

bool Mesh3DS::Load(const char* path, ImageRegistry* imageRegistry)
{
    AttachRegistry(imageRegistry);
    return Load(path);
}

bool Mesh3DS::Load(const char* path)
{
    Clear();
    const std::string used = StripQuotes(path != nullptr ? path : "");
    directory = DirectoryOf(used);
    MeshFileBytes bytes;
    if (!bytes.Open(used)) {
        AddWarning("cannot read \"" + used + "\": " + std::strerror(errno));
        if (registry == nullptr)
            textured = 0;
        return false;
    }
    return Parse(bytes.Data(), bytes.Size());
}

bool Mesh3DS::LoadFromMemory(const uint8_t* data, size_t size)
{
    Clear();
    return Parse(data, size);
}

bool Mesh3DS::Parse(const uint8_t* data, size_t size)
{
    MeshReader reader(*this, data, data != nullptr ? size : 0);
    reader.Read();
    FinishObjects();
    if (registry != nullptr)
        MakeSolidTextures();
    else
        textured = 0;
    return warningCount == 0;
}

void Mesh3DS::Clear()
{
    objects.clear();
    materials.clear();
    objectCount = 0;
    materialCount = 0;
    warnings.clear();
    warningCount = 0;
}

void Mesh3DS::AddWarning(std::string text)
{
    ++warningCount;
    if (int32_t(warnings.size()) < kMaxWarnings)
        warnings.push_back(std::move(text));
}

void Mesh3DS::FinishObjects()
{
    for (MeshObject& object : objects) {
        for (Float3& normal : object.normals) {
            float length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
            if (length == 0.0f)
                length = 1.0f;
            normal = {normal.x / length, normal.y / length, normal.z / length};
        }
        const size_t vertexCount = object.vertices.size();
        const size_t given = object.texCoords.size();
        if (given > 0 && given != vertexCount)
            AddWarning("object \"" + std::string(object.name) + "\": " + std::to_string(given) +
                       " mapping coordinates for " + std::to_string(vertexCount) + " vertices; " +
                       (given < vertexCount ? "the missing ones are planar" : "the extra ones are ignored"));
        // Vertices without coordinates from the file are mapped flat onto x, y.
        object.texCoords.resize(vertexCount);
        for (size_t i = given; i < vertexCount; ++i)
            object.texCoords[i] = {object.vertices[i].x, object.vertices[i].y};
        object.texCoordCount = int32_t(vertexCount);
    }
}

void Mesh3DS::MakeSolidTextures()
{
    for (int32_t i = 0; i < materialCount; ++i) {
        MeshMaterial& material = materials[i];
        if (material.hasTexture)
            continue;
        material.texture = registry->CreateSolid(std::to_string(i) + "_3DS", material.colour[0], material.colour[1],
                                                 material.colour[2]);
        material.hasTexture = true;
    }
}
