#include "resources/Mesh3DS.h"

#include "platform/FileRead.h"
#include "resources/ImageRegistry.h"
#include "resources/MeshReader.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

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

// A mesh file is never larger than this; it keeps a stated length (or a file
// that never ends) from taking all memory.
constexpr size_t kMaxFileBytes = size_t(256) << 20;

uint32_t ChunkLength(const uint8_t* header)
{
    return uint32_t(header[2]) | uint32_t(header[3]) << 8 | uint32_t(header[4]) << 16 | uint32_t(header[5]) << 24;
}

// Reads the file with plain reads into memory, never mapping it: the preview
// reloads a mesh when its file changes, and a file rewritten in place while a
// mapping of it is read faults. Stops where the first chunk's length says the
// mesh ends. False, with the system's reason, when the file cannot be read.
bool ReadMeshFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason)
{
    std::FILE* file = OpenFileForReading(path.c_str());
    if (file == nullptr) {
        reason = std::strerror(errno);
        return false;
    }
    uint8_t header[6];
    const size_t headerSize = std::fread(header, 1, sizeof header, file);
    bytes.assign(header, header + headerSize);
    const size_t limit = headerSize == sizeof header ? std::clamp<size_t>(ChunkLength(header), 6, kMaxFileBytes) : 0;
    // Room for what the file holds, where it tells its size: one allocation
    // and no copies for the usual file.
    if (limit > headerSize && std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        if (end > 0)
            bytes.reserve(std::min(limit, size_t(end)));
        std::fseek(file, long(headerSize), SEEK_SET);
    }
    while (bytes.size() < limit) {
        const size_t before = bytes.size();
        const size_t room = bytes.capacity() > before ? bytes.capacity() - before : before;
        const size_t wanted = std::min(limit - before, std::max<size_t>(room, 65536));
        bytes.resize(before + wanted);
        const size_t got = std::fread(bytes.data() + before, 1, wanted, file);
        bytes.resize(before + got);
        if (got < wanted)
            break;
    }
    const bool failed = std::ferror(file) != 0;
    reason = failed ? std::strerror(errno) : "";
    std::fclose(file);
    return !failed;
}

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
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadMeshFile(used, bytes, reason)) {
        AddWarning("cannot read \"" + used + "\": " + reason);
        if (registry == nullptr)
            textured = 0;
        return false;
    }
    return Parse(bytes.data(), bytes.size());
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
