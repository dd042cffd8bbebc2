#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Length(Vec3 v);
Vec3 Normalized(Vec3 v);

// One named object of the sculpture, in the player's axes (y up, z toward
// the front), triangles wound counter-clockwise seen from outside.
struct MeshPart {
    std::string name;
    std::string material;
    std::vector<Vec3> vertices;
    std::vector<std::array<uint16_t, 3>> triangles;

    uint16_t AddVertex(Vec3 v);
    // Adds the triangle wound so that its face normal points along outward.
    void AddTriangleFacing(uint16_t a, uint16_t b, uint16_t c, Vec3 outward);
    // Adds a flat triangle with vertices of its own.
    void AddFlatTriangle(Vec3 a, Vec3 b, Vec3 c, Vec3 outward);
    // Mean over the triangles of each triangle's corner mean.
    Vec3 Centre() const;
};
