#include "MeshPart.h"

#include <cmath>

double Length(Vec3 v) { return std::sqrt(Dot(v, v)); }

Vec3 Normalized(Vec3 v)
{
    const double length = Length(v);
    return length > 0.0 ? v * (1.0 / length) : Vec3{0.0, 0.0, 0.0};
}

uint16_t MeshPart::AddVertex(Vec3 v)
{
    vertices.push_back(v);
    return static_cast<uint16_t>(vertices.size() - 1);
}

void MeshPart::AddTriangleFacing(uint16_t a, uint16_t b, uint16_t c, Vec3 outward)
{
    const Vec3 normal = Cross(vertices[b] - vertices[a], vertices[c] - vertices[a]);
    if (Dot(normal, outward) >= 0.0) {
        triangles.push_back({a, b, c});
    } else {
        triangles.push_back({a, c, b});
    }
}

void MeshPart::AddFlatTriangle(Vec3 a, Vec3 b, Vec3 c, Vec3 outward)
{
    const uint16_t ia = AddVertex(a);
    const uint16_t ib = AddVertex(b);
    const uint16_t ic = AddVertex(c);
    AddTriangleFacing(ia, ib, ic, outward);
}

Vec3 MeshPart::Centre() const
{
    Vec3 sum;
    for (const auto& t : triangles) {
        sum = sum + (vertices[t[0]] + vertices[t[1]] + vertices[t[2]]) * (1.0 / 3.0);
    }
    return triangles.empty() ? sum : sum * (1.0 / static_cast<double>(triangles.size()));
}
