#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

class Mesh3DS;
struct MeshMaterial;
struct MeshObject;
struct FaceGroup;

// Walks the chunk tree of a 3D Studio file held in memory and fills a mesh.
// Every read is checked against the end of its chunk, every chunk against its
// parent, so any byte string gives a bounded, in-bounds walk; what does not
// fit is skipped and reported through the mesh's warnings.
class MeshReader {
public:
    MeshReader(Mesh3DS& mesh, const uint8_t* data, size_t size);

    void Read();

private:
    struct Chunk {
        uint16_t id;
        size_t start;
        size_t data;
        size_t end;
    };

    // Calls visit(child) for each child chunk in [begin, end). Stops at the
    // first child whose header does not fit or whose length is below 6 or
    // reaches beyond `end`, and reports it when `report` is set.
    template <typename Visit>
    void Walk(const Chunk& parent, size_t begin, bool report, Visit&& visit);
    void ReportBadChild(const Chunk& parent, size_t at, size_t end);

    void ReadEditor(const Chunk& editor);
    void ReadMaterial(const Chunk& chunk, MeshMaterial& material);
    void ReadColour(const Chunk& chunk, MeshMaterial& material);
    void ReadTextureMap(const Chunk& chunk, MeshMaterial& material);
    void ReadObject(const Chunk& chunk, MeshObject& object);
    void ReadTriangleMesh(const Chunk& chunk, MeshObject& object);
    void ReadVertices(const Chunk& chunk, MeshObject& object);
    void ReadTexCoords(const Chunk& chunk, MeshObject& object);
    void ReadFaces(const Chunk& chunk, MeshObject& object);
    void ReadGroup(const Chunk& chunk, const MeshObject& object, FaceGroup& group);
    // Once every sub-chunk of an object is read, whatever their number and
    // order: normals and centre from the faces whose corners all exist, and
    // every group triangle naming a vertex the object lacks dropped (and
    // reported), so that drawing indexes only inside the vertex arrays.
    void CompleteObject(MeshObject& object);

    // Copies the zero-terminated string at `begin` into `out` (at most 79
    // characters) and returns the offset after its terminator, or `end` when
    // the chunk holds none.
    size_t ReadString(size_t begin, size_t end, char (&out)[80], const char* what);
    // Number of whole records of `recordSize` bytes that fit between `begin`
    // and `end`, at most `count`; a shortfall is reported.
    size_t FittingCount(size_t count, size_t recordSize, size_t begin, size_t end, const Chunk& chunk);

    uint16_t U16(size_t at) const;
    uint32_t U32(size_t at) const;
    float F32(size_t at) const;

    Mesh3DS& mesh;
    const uint8_t* bytes;
    size_t size;
    int depth = 0;
    std::unordered_map<std::string, int32_t> materialIndex;
};
