// Feeds arbitrary bytes to the 3D Studio reader, without GL and without a
// registry, and checks what it promises about the mesh it leaves.
#include "resources/Mesh3DS.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Mesh3DS mesh;
    const bool whole = mesh.LoadFromMemory(data, size);
    if (whole != (mesh.WarningCount() == 0))
        std::abort();
    if (mesh.objectCount != int32_t(mesh.objects.size()) || mesh.materialCount != int32_t(mesh.materials.size()))
        std::abort();
    for (const MeshObject& object : mesh.objects) {
        const size_t vertexCount = object.vertices.size();
        if (object.normals.size() != vertexCount || object.texCoords.size() != vertexCount ||
            object.vertexCount != int32_t(vertexCount) || object.texCoordCount != int32_t(vertexCount) ||
            object.groupCount != int32_t(object.groups.size()) || object.indexCount != int32_t(object.indices.size()))
            std::abort();
        for (const FaceGroup& group : object.groups) {
            // The draw call reads indexCount indices, three per triangle.
            if (group.material < 0 || group.material > mesh.materialCount ||
                group.indexCount != int32_t(group.indices.size()) || group.indices.size() % 3 != 0)
                std::abort();
            // Every index that can reach a draw call lies inside the vertex array.
            for (uint16_t index : group.indices)
                if (index >= vertexCount)
                    std::abort();
        }
    }
    return 0;
}
