#pragma once

#include "tests/support/ChunkWriter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Plain descriptions of 3D Studio content, written with ChunkWriter. Vertex
// positions are in the file's axes.
struct FileGroup {
    std::string material;
    std::vector<uint16_t> faces;
};

struct FileObject {
    std::string name;
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::array<uint16_t, 3>> faces;
    std::vector<FileGroup> groups;
    std::vector<std::array<float, 2>> texCoords;
    bool withMesh = true;
};

struct FileMaterial {
    FileMaterial(const char* materialName = "") : name(materialName) {}
    FileMaterial(const std::string& materialName) : name(materialName) {}

    std::string name;
    bool withColour = true;
    uint8_t colour[3] = {255, 255, 255};
    std::string textureFile;
};

void WriteMaterial(ChunkWriter& out, const FileMaterial& material);
void WriteObject(ChunkWriter& out, const FileObject& object);
// A whole file: first chunk 0x4D4D holding one editor chunk with the
// materials first, then the objects.
std::vector<uint8_t> MakeMeshFile(const std::vector<FileMaterial>& materials, const std::vector<FileObject>& objects);
// A square of two triangles of side `size` centred at (x, y, z) in the
// file's axes, lying in the file's x-z plane (upright once converted).
FileObject MakeSquare(const std::string& name, float x, float y, float z, float size, const std::string& material);
// Writes bytes to a file; false when it cannot.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
