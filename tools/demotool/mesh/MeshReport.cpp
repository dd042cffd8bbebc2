#include "tools/demotool/mesh/MeshReport.h"

#include "resources/Mesh3DS.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <limits>

namespace {

void Append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

void Append(std::string& text, const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length > 0)
        text.append(buffer, std::min<size_t>(size_t(length), sizeof buffer - 1));
}

// JSON has no NaN or infinity; such values from a broken file print as null.
void AppendNumber(std::string& text, float value)
{
    if (std::isfinite(value))
        Append(text, "%.9g", double(value));
    else
        text += "null";
}

void AppendString(std::string& text, const char* value)
{
    text += '"';
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(value); *c != 0; ++c) {
        if (*c == '"' || *c == '\\') {
            text += '\\';
            text += char(*c);
        } else if (*c < 0x20 || *c > 127) {
            Append(text, "\\u%04x", unsigned(*c));
        } else {
            text += char(*c);
        }
    }
    text += '"';
}

void AppendFloat3(std::string& text, const Float3& v)
{
    text += '[';
    AppendNumber(text, v.x);
    text += ',';
    AppendNumber(text, v.y);
    text += ',';
    AppendNumber(text, v.z);
    text += ']';
}

void AppendFloat3List(std::string& text, const std::vector<Float3>& list)
{
    text += '[';
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            text += ',';
        AppendFloat3(text, list[i]);
    }
    text += ']';
}

void AppendIndexList(std::string& text, const std::vector<uint16_t>& list)
{
    text += '[';
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            text += ',';
        Append(text, "%u", unsigned(list[i]));
    }
    text += ']';
}

void AppendObjectJson(std::string& text, const MeshObject& object)
{
    text += "{\"name\":";
    AppendString(text, object.name);
    text += ",\"vertices\":";
    AppendFloat3List(text, object.vertices);
    text += ",\"normals\":";
    AppendFloat3List(text, object.normals);
    text += ",\"texCoords\":[";
    for (size_t i = 0; i < object.texCoords.size(); ++i) {
        text += i > 0 ? ",[" : "[";
        AppendNumber(text, object.texCoords[i].u);
        text += ',';
        AppendNumber(text, object.texCoords[i].v);
        text += ']';
    }
    text += "],\"hasTexCoords\":";
    text += object.hasTexCoords ? "true" : "false";
    text += ",\"indices\":";
    AppendIndexList(text, object.indices);
    text += ",\"centre\":";
    AppendFloat3(text, object.centre);
    text += ",\"groups\":[";
    for (size_t i = 0; i < object.groups.size(); ++i) {
        Append(text, "%s{\"material\":%d,\"indices\":", i > 0 ? "," : "", object.groups[i].material);
        AppendIndexList(text, object.groups[i].indices);
        text += '}';
    }
    text += "]}";
}

void AppendMaterialJson(std::string& text, const MeshMaterial& material)
{
    text += "{\"name\":";
    AppendString(text, material.name);
    Append(text, ",\"colour\":[%u,%u,%u],\"colourAlpha\":%u,\"hasTexture\":%s,\"textureFile\":",
           unsigned(material.colour[0]), unsigned(material.colour[1]), unsigned(material.colour[2]),
           unsigned(material.colourAlpha), material.hasTexture ? "true" : "false");
    AppendString(text, material.textureFile);
    text += '}';
}

// Names may hold any byte; the summary shows them as the JSON does.
std::string Quoted(const char* name)
{
    std::string text;
    AppendString(text, name);
    return text;
}

void AppendBoundingBox(std::string& text, const Mesh3DS& mesh)
{
    Float3 low{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
               std::numeric_limits<float>::max()};
    Float3 high{-low.x, -low.y, -low.z};
    bool any = false;
    for (const MeshObject& object : mesh.objects) {
        for (const Float3& v : object.vertices) {
            low = {std::fmin(low.x, v.x), std::fmin(low.y, v.y), std::fmin(low.z, v.z)};
            high = {std::fmax(high.x, v.x), std::fmax(high.y, v.y), std::fmax(high.z, v.z)};
            any = true;
        }
    }
    if (!any) {
        text += "bounding box: none (no vertices)\n";
        return;
    }
    Append(text, "bounding box: (%g, %g, %g) to (%g, %g, %g)\n", double(low.x), double(low.y), double(low.z),
           double(high.x), double(high.y), double(high.z));
}

} // namespace

std::string MeshSummary(const Mesh3DS& mesh)
{
    size_t vertexTotal = 0;
    size_t triangleTotal = 0;
    for (const MeshObject& object : mesh.objects) {
        vertexTotal += object.vertices.size();
        triangleTotal += object.indices.size() / 3;
    }
    std::string text;
    Append(text, "objects: %d\nvertices: %zu\ntriangles: %zu\nmaterials: %d\n", mesh.objectCount, vertexTotal,
           triangleTotal, mesh.materialCount);
    AppendBoundingBox(text, mesh);
    for (int32_t i = 0; i < mesh.materialCount; ++i) {
        const MeshMaterial& material = mesh.materials[i];
        Append(text, "material %d %s: colour (%u, %u, %u)", i, Quoted(material.name).c_str(),
               unsigned(material.colour[0]), unsigned(material.colour[1]), unsigned(material.colour[2]));
        if (material.textureFile[0] != '\0')
            Append(text, ", texture map %s", Quoted(material.textureFile).c_str());
        text += '\n';
    }
    for (int32_t i = 0; i < mesh.objectCount; ++i) {
        const MeshObject& object = mesh.objects[i];
        Append(text, "object %d %s: %d vertices, %zu triangles, %d groups, %s, centre (%g, %g, %g)\n", i,
               Quoted(object.name).c_str(), object.vertexCount, object.indices.size() / 3, object.groupCount,
               object.hasTexCoords ? "mapping coordinates" : "no mapping coordinates", double(object.centre.x),
               double(object.centre.y), double(object.centre.z));
    }
    Append(text, "warnings: %d\n", mesh.WarningCount());
    for (const std::string& warning : mesh.Warnings())
        text += "  " + warning + "\n";
    const int32_t unlisted = mesh.WarningCount() - int32_t(mesh.Warnings().size());
    if (unlisted > 0)
        Append(text, "  ... and %d more\n", unlisted);
    return text;
}

std::string MeshJson(const Mesh3DS& mesh)
{
    std::string text = "{\"objects\":[";
    for (size_t i = 0; i < mesh.objects.size(); ++i) {
        if (i > 0)
            text += ',';
        AppendObjectJson(text, mesh.objects[i]);
    }
    text += "],\"materials\":[";
    for (size_t i = 0; i < mesh.materials.size(); ++i) {
        if (i > 0)
            text += ',';
        AppendMaterialJson(text, mesh.materials[i]);
    }
    text += "],\"warnings\":[";
    for (size_t i = 0; i < mesh.Warnings().size(); ++i) {
        if (i > 0)
            text += ',';
        AppendString(text, mesh.Warnings()[i].c_str());
    }
    text += "]}";
    return text;
}

int RunMeshCommand(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    static const char* const usage =
        "usage: demotool mesh [--json] FILE\n"
        "Reads a 3D Studio (.3ds) mesh as the player does and prints its objects,\n"
        "materials and any repairs the reader had to make. With --json, prints one\n"
        "JSON object with all vertices (in the player's axes), normals, mapping\n"
        "coordinates, indices and groups. Exit status: 0 when the file loaded whole,\n"
        "1 when it could not be read or was repaired, 2 on bad usage.\n";
    bool json = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, out);
            return 0;
        }
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (path == nullptr && argv[i][0] != '-') {
            path = argv[i];
        } else {
            std::fprintf(err, "demotool mesh: unexpected argument '%s'\n%s", argv[i], usage);
            return 2;
        }
    }
    if (path == nullptr) {
        std::fputs(usage, err);
        return 2;
    }
    Mesh3DS mesh;
    const bool whole = mesh.Load(path);
    const std::string text = json ? MeshJson(mesh) + "\n" : MeshSummary(mesh);
    std::fwrite(text.data(), 1, text.size(), out);
    if (!whole)
        std::fprintf(err, "demotool mesh: %s was not read whole (%d warning%s)\n", path, mesh.WarningCount(),
                     mesh.WarningCount() == 1 ? "" : "s");
    return whole ? 0 : 1;
}
