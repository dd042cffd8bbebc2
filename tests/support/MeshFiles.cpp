#include "tests/support/MeshFiles.h"

#include <cstdio>

void WriteMaterial(ChunkWriter& out, const FileMaterial& material)
{
    out.Begin(0xAFFF);
    out.Begin(0xA000);
    out.String(material.name.c_str());
    out.End();
    if (material.withColour) {
        out.Begin(0xA020);
        out.Begin(0x0011);
        for (uint8_t c : material.colour)
            out.U8(c);
        out.End();
        out.End();
    }
    if (!material.textureFile.empty()) {
        out.Begin(0xA200);
        out.Begin(0xA300);
        out.String(material.textureFile.c_str());
        out.End();
        out.End();
    }
    out.End();
}

void WriteObject(ChunkWriter& out, const FileObject& object)
{
    out.Begin(0x4000);
    out.String(object.name.c_str());
    if (object.withMesh) {
        out.Begin(0x4100);
        out.Begin(0x4110);
        out.U16(uint16_t(object.vertices.size()));
        for (const auto& v : object.vertices)
            for (float c : v)
                out.F32(c);
        out.End();
        if (!object.texCoords.empty()) {
            out.Begin(0x4140);
            out.U16(uint16_t(object.texCoords.size()));
            for (const auto& t : object.texCoords) {
                out.F32(t[0]);
                out.F32(t[1]);
            }
            out.End();
        }
        out.Begin(0x4120);
        out.U16(uint16_t(object.faces.size()));
        for (const auto& f : object.faces) {
            out.U16(f[0]);
            out.U16(f[1]);
            out.U16(f[2]);
            out.U16(0);
        }
        for (const FileGroup& group : object.groups) {
            out.Begin(0x4130);
            out.String(group.material.c_str());
            out.U16(uint16_t(group.faces.size()));
            for (uint16_t f : group.faces)
                out.U16(f);
            out.End();
        }
        out.End();
        out.End();
    }
    out.End();
}

std::vector<uint8_t> MakeMeshFile(const std::vector<FileMaterial>& materials, const std::vector<FileObject>& objects)
{
    ChunkWriter out;
    out.Begin(0x4D4D);
    out.Begin(0x3D3D);
    for (const FileMaterial& material : materials)
        WriteMaterial(out, material);
    for (const FileObject& object : objects)
        WriteObject(out, object);
    out.End();
    out.End();
    return out.bytes;
}

FileObject MakeSquare(const std::string& name, float x, float y, float z, float size, const std::string& material)
{
    const float h = size / 2;
    FileObject object;
    object.name = name;
    object.vertices = {{x - h, y, z - h}, {x + h, y, z - h}, {x + h, y, z + h}, {x - h, y, z + h}};
    object.faces = {{0, 1, 2}, {0, 2, 3}};
    object.groups = {{material, {0, 1}}};
    return object;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
