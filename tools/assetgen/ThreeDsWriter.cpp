#include "ThreeDsWriter.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A chunk under construction: its header is written first with a zero
// length that Close fills in once the children are known.
class ChunkStream {
public:
    explicit ChunkStream(std::vector<uint8_t>& out) : out_(out) {}

    size_t Open(uint16_t id)
    {
        const size_t start = out_.size();
        U16(id);
        U32(0);
        return start;
    }

    void Close(size_t start)
    {
        const uint32_t length = static_cast<uint32_t>(out_.size() - start);
        for (int i = 0; i < 4; ++i) {
            out_[start + 2 + static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));
        }
    }

    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v)
    {
        out_.push_back(static_cast<uint8_t>(v));
        out_.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) {
            out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    }
    void F32(float v)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        U32(bits);
    }
    void String(const std::string& s)
    {
        out_.insert(out_.end(), s.begin(), s.end());
        out_.push_back(0);
    }

private:
    std::vector<uint8_t>& out_;
};

void WriteMaterial(ChunkStream& s, const std::string& name, uint8_t r, uint8_t g, uint8_t b)
{
    const size_t material = s.Open(0xAFFF);
    const size_t nameChunk = s.Open(0xA000);
    s.String(name);
    s.Close(nameChunk);
    const size_t diffuse = s.Open(0xA020);
    const size_t colour = s.Open(0x0011);
    s.U8(r);
    s.U8(g);
    s.U8(b);
    s.Close(colour);
    s.Close(diffuse);
    s.Close(material);
}

void WriteObject(ChunkStream& s, const MeshPart& part)
{
    const size_t object = s.Open(0x4000);
    s.String(part.name);
    const size_t mesh = s.Open(0x4100);
    const size_t vertexList = s.Open(0x4110);
    s.U16(static_cast<uint16_t>(part.vertices.size()));
    for (const Vec3& v : part.vertices) {
        // The file's z axis is the player's y axis and its y axis the
        // player's -z axis.
        s.F32(static_cast<float>(v.x));
        s.F32(static_cast<float>(-v.z));
        s.F32(static_cast<float>(v.y));
    }
    s.Close(vertexList);
    const size_t faceList = s.Open(0x4120);
    s.U16(static_cast<uint16_t>(part.triangles.size()));
    for (const auto& t : part.triangles) {
        s.U16(t[0]);
        s.U16(t[1]);
        s.U16(t[2]);
        s.U16(0x0007);
    }
    const size_t group = s.Open(0x4130);
    s.String(part.material);
    s.U16(static_cast<uint16_t>(part.triangles.size()));
    for (size_t i = 0; i < part.triangles.size(); ++i) {
        s.U16(static_cast<uint16_t>(i));
    }
    s.Close(group);
    s.Close(faceList);
    s.Close(mesh);
    s.Close(object);
}

} // namespace

bool EncodeThreeDs(const std::vector<MeshPart>& parts, std::vector<uint8_t>& out)
{
    std::vector<std::string> materials;
    for (const MeshPart& part : parts) {
        if (part.vertices.size() >= 65535 || part.triangles.size() >= 65535 || part.name.size() > 79 ||
            part.material.size() > 79) {
            std::fprintf(stderr, "assetgen: object %s does not fit a 3DS object\n", part.name.c_str());
            return false;
        }
        bool known = false;
        for (const std::string& m : materials) {
            known = known || m == part.material;
        }
        if (!known) {
            materials.push_back(part.material);
        }
    }
    out.clear();
    ChunkStream s(out);
    const size_t main = s.Open(0x4D4D);
    const size_t version = s.Open(0x0002);
    s.U32(3);
    s.Close(version);
    const size_t editor = s.Open(0x3D3D);
    const size_t meshVersion = s.Open(0x3D3E);
    s.U32(3);
    s.Close(meshVersion);
    for (const std::string& material : materials) {
        // A deep red for the jewel and the orbit, rose chrome for the rest;
        // the player's heart lights everything by its sphere map instead.
        const bool ruby = material == "ruby";
        WriteMaterial(s, material, ruby ? 200 : 230, ruby ? 40 : 200, ruby ? 70 : 210);
    }
    for (const MeshPart& part : parts) {
        WriteObject(s, part);
    }
    s.Close(editor);
    s.Close(main);
    return true;
}
