#include "HeartSculpture.h"

#include "DetMath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using detmath::Cos;
using detmath::kPi;
using detmath::kTwoPi;
using detmath::Sin;

namespace {

constexpr double kHeartScale = 0.25;     // outline from -4 to 4 units wide
constexpr double kPillowDepth = 1.5;     // half thickness of the puffed heart
constexpr double kTiltDegrees = -10.0;  // leaning back a little, like a picture on an easel
// A slight roll keeps the tip and the dip off the vertical axis, so the
// camera, which looks from each new piece's direction with y up, never
// looks straight up or down.
constexpr double kRollDegrees = 14.0;
constexpr int kOutlineSegments = 16;
constexpr int kShardColumns = 10;
constexpr double kSatelliteRadius = 8.0;

const char* const kChrome = "chrome";
const char* const kRuby = "ruby";

// The classic heart curve; u = 0 is the dip between the lobes, u = pi the tip.
Vec3 RawOutline(double u)
{
    const double s = Sin(u);
    return {16.0 * s * s * s,
            13.0 * Cos(u) - 5.0 * Cos(2.0 * u) - 2.0 * Cos(3.0 * u) - Cos(4.0 * u), 0.0};
}

class HeartShape {
public:
    explicit HeartShape(double scale) : scale_(scale)
    {
        double low = 1e9, high = -1e9;
        for (int i = 0; i < 2000; ++i) {
            const double y = RawOutline(kTwoPi * i / 2000.0).y;
            low = std::min(low, y);
            high = std::max(high, y);
        }
        shiftY_ = -(low + high) * 0.5 * scale_;
        centre_ = {0.0, -0.08 * 16.0 * scale_, 0.0};
    }

    Vec3 Outline(double u) const
    {
        const Vec3 raw = RawOutline(u);
        return {raw.x * scale_, raw.y * scale_ + shiftY_, 0.0};
    }

    // A puffed surface over the outline: s runs from the middle (0) to the
    // outline (1), side is +1 for the front and -1 for the back.
    Vec3 Surface(double u, double s, double side, double depth) const
    {
        const Vec3 edge = Outline(u);
        const Vec3 flat = centre_ + (edge - centre_) * s;
        return {flat.x, flat.y, side * depth * std::sqrt(std::max(0.0, 1.0 - s * s))};
    }

    // The surface's slope runs along the ray from the middle; its normal is
    // taken from that slope rather than from differences along the outline,
    // which vanish at the tip where the curve stops and turns.
    Vec3 SurfaceNormal(double u, double s, double side, double depth) const
    {
        const double sc = std::clamp(s, 0.0, 0.995);
        const Vec3 ray = Outline(u) - centre_;
        const double reach = Length(ray);
        const double slope = depth * sc / (std::sqrt(1.0 - sc * sc) * reach);
        const Vec3 outward = ray * (slope / reach);
        return Normalized(Vec3{outward.x, outward.y, side});
    }

    Vec3 Centre() const { return centre_; }

private:
    double scale_;
    double shiftY_ = 0.0;
    Vec3 centre_;
};

// Arc-length table of one side of the outline, from the tip to the dip.
class OutlinePath {
public:
    OutlinePath(const HeartShape& heart, bool rightSide)
    {
        constexpr int kSamples = 3000;
        for (int i = 0; i <= kSamples; ++i) {
            const double t = static_cast<double>(i) / kSamples;
            // From the tip (pi) toward the dip: down to 0 on the right side,
            // up to 2 pi on the left.
            const double u = rightSide ? kPi * (1.0 - t) : kPi * (1.0 + t);
            points_.push_back(heart.Outline(u));
            lengths_.push_back(i == 0 ? 0.0 : lengths_.back() + Length(points_.back() - points_[points_.size() - 2]));
        }
    }

    double TotalLength() const { return lengths_.back(); }

    Vec3 At(double length) const
    {
        const auto it = std::lower_bound(lengths_.begin(), lengths_.end(), length);
        size_t i = static_cast<size_t>(std::max<std::ptrdiff_t>(1, it - lengths_.begin()));
        i = std::min(i, lengths_.size() - 1);
        const double span = lengths_[i] - lengths_[i - 1];
        const double t = span > 0.0 ? std::clamp((length - lengths_[i - 1]) / span, 0.0, 1.0) : 0.0;
        return points_[i - 1] + (points_[i] - points_[i - 1]) * t;
    }

private:
    std::vector<Vec3> points_;
    std::vector<double> lengths_;
};

// A tube of six sides along a sampled centre line.
void AddTube(MeshPart& part, const std::vector<Vec3>& line, double radius)
{
    constexpr int kSides = 6;
    const uint16_t first = static_cast<uint16_t>(part.vertices.size());
    for (size_t i = 0; i < line.size(); ++i) {
        const Vec3 ahead = line[std::min(i + 1, line.size() - 1)];
        const Vec3 behind = line[i == 0 ? 0 : i - 1];
        const Vec3 tangent = Normalized(ahead - behind);
        const Vec3 side = Normalized(Cross(tangent, Vec3{0.0, 0.0, 1.0}));
        const Vec3 up = Cross(side, tangent);
        for (int k = 0; k < kSides; ++k) {
            const double a = kTwoPi * k / kSides;
            part.AddVertex(line[i] + side * (Cos(a) * radius) + up * (Sin(a) * radius));
        }
    }
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        for (int k = 0; k < kSides; ++k) {
            const auto at = [&](size_t ring, int corner) {
                return static_cast<uint16_t>(first + ring * kSides + static_cast<size_t>(corner % kSides));
            };
            const uint16_t a = at(i, k), b = at(i, k + 1), c = at(i + 1, k + 1), d = at(i + 1, k);
            const Vec3 mid = (line[i] + line[i + 1]) * 0.5;
            const Vec3 outward = (part.vertices[a] + part.vertices[c]) * 0.5 - mid;
            part.AddTriangleFacing(a, b, c, outward);
            part.AddTriangleFacing(a, c, d, outward);
        }
    }
}

// One piece of the cord: three strands twisted around the outline.
MeshPart MakeCordSegment(const OutlinePath& path, double from, double to, const std::string& name)
{
    constexpr double kTwistRadius = 0.11;
    constexpr double kStrandRadius = 0.085;
    constexpr double kPitch = 0.9;
    constexpr double kStep = 0.08;
    MeshPart part{name, kChrome, {}, {}};
    const int samples = std::max(2, static_cast<int>(std::ceil((to - from) / kStep)) + 1);
    for (int strand = 0; strand < 3; ++strand) {
        std::vector<Vec3> line;
        for (int i = 0; i < samples; ++i) {
            const double length = from + (to - from) * i / (samples - 1);
            const Vec3 p = path.At(length);
            const Vec3 tangent = Normalized(path.At(std::min(length + 0.01, path.TotalLength())) -
                                            path.At(std::max(length - 0.01, 0.0)));
            const Vec3 normal{-tangent.y, tangent.x, 0.0};
            const double angle = kTwoPi * (length / kPitch + strand / 3.0);
            line.push_back(p + normal * (Cos(angle) * kTwistRadius) + Vec3{0.0, 0.0, Sin(angle) * kTwistRadius});
        }
        AddTube(part, line, kStrandRadius);
    }
    return part;
}

// A curved plate cut from the puffed surface, with thickness and small gaps
// to its neighbours.
MeshPart MakeShard(const HeartShape& heart, double u0, double u1, double s0, double s1, double side,
                   const std::string& name)
{
    constexpr int kAlong = 4;
    constexpr int kAcross = 3;
    constexpr double kHalfThickness = 0.05;
    constexpr double kShrink = 0.92;
    MeshPart part{name, kChrome, {}, {}};
    Vec3 grid[kAlong + 1][kAcross + 1];
    Vec3 normal[kAlong + 1][kAcross + 1];
    Vec3 middle;
    for (int i = 0; i <= kAlong; ++i) {
        for (int j = 0; j <= kAcross; ++j) {
            const double u = u0 + (u1 - u0) * i / kAlong;
            const double s = s0 + (s1 - s0) * j / kAcross;
            grid[i][j] = heart.Surface(u, s, side, kPillowDepth);
            normal[i][j] = heart.SurfaceNormal(u, s, side, kPillowDepth);
            middle = middle + grid[i][j];
        }
    }
    middle = middle * (1.0 / ((kAlong + 1) * (kAcross + 1)));
    for (auto& column : grid) {
        for (Vec3& p : column) {
            p = middle + (p - middle) * kShrink;
        }
    }
    // Top and bottom faces, each with shared corners for smooth reflection.
    for (const double face : {1.0, -1.0}) {
        const uint16_t first = static_cast<uint16_t>(part.vertices.size());
        for (int i = 0; i <= kAlong; ++i) {
            for (int j = 0; j <= kAcross; ++j) {
                part.AddVertex(grid[i][j] + normal[i][j] * (face * kHalfThickness));
            }
        }
        const auto at = [first](int i, int j) { return static_cast<uint16_t>(first + i * (kAcross + 1) + j); };
        for (int i = 0; i < kAlong; ++i) {
            for (int j = 0; j < kAcross; ++j) {
                const Vec3 outward = normal[i][j] * face;
                part.AddTriangleFacing(at(i, j), at(i + 1, j), at(i + 1, j + 1), outward);
                part.AddTriangleFacing(at(i, j), at(i + 1, j + 1), at(i, j + 1), outward);
            }
        }
    }
    // Side walls around the border of the grid, flat shaded.
    std::vector<std::pair<int, int>> border;
    for (int i = 0; i < kAlong; ++i) border.push_back({i, 0});
    for (int j = 0; j < kAcross; ++j) border.push_back({kAlong, j});
    for (int i = kAlong; i > 0; --i) border.push_back({i, kAcross});
    for (int j = kAcross; j > 0; --j) border.push_back({0, j});
    for (size_t k = 0; k < border.size(); ++k) {
        const auto [ia, ja] = border[k];
        const auto [ib, jb] = border[(k + 1) % border.size()];
        const Vec3 a = grid[ia][ja], b = grid[ib][jb];
        const Vec3 na = normal[ia][ja] * kHalfThickness, nb = normal[ib][jb] * kHalfThickness;
        const Vec3 outward = (a + b) * 0.5 - middle;
        part.AddFlatTriangle(a + na, b + nb, b - nb, outward);
        part.AddFlatTriangle(a + na, b - nb, a - na, outward);
    }
    return part;
}

// A small closed heart that floats outside the sculpture, facing outward.
MeshPart MakeSatellite(Vec3 position, const std::string& name)
{
    constexpr int kAround = 16;
    constexpr int kRings = 4;
    const HeartShape small(0.05);
    const Vec3 forward = Normalized(position);
    const Vec3 up = Normalized(Vec3{0.0, 1.0, 0.0} - forward * forward.y);
    const Vec3 right = Cross(up, forward);
    const auto place = [&](Vec3 local) { return position + right * local.x + up * local.y + forward * local.z; };
    MeshPart part{name, kRuby, {}, {}};
    for (const double side : {1.0, -1.0}) {
        const uint16_t first = static_cast<uint16_t>(part.vertices.size());
        for (int i = 0; i <= kAround; ++i) {
            for (int j = 0; j <= kRings; ++j) {
                const double s = 0.06 + 0.94 * j / kRings;
                part.AddVertex(place(small.Surface(kTwoPi * i / kAround, s, side, 0.2)));
            }
        }
        const auto at = [first](int i, int j) { return static_cast<uint16_t>(first + i * (kRings + 1) + j); };
        for (int i = 0; i < kAround; ++i) {
            for (int j = 0; j < kRings; ++j) {
                const Vec3 outward = forward * side;
                part.AddTriangleFacing(at(i, j), at(i + 1, j), at(i + 1, j + 1), outward);
                part.AddTriangleFacing(at(i, j), at(i + 1, j + 1), at(i, j + 1), outward);
            }
        }
        // Close the small hole in the middle with a fan.
        const uint16_t centre = part.AddVertex(place(small.Surface(0.0, 0.0, side, 0.2)));
        for (int i = 0; i < kAround; ++i) {
            part.AddTriangleFacing(centre, at(i, 0), at(i + 1, 0), forward * side);
        }
    }
    return part;
}

// A faceted jewel set into the front of the heart.
MeshPart MakeJewel(Vec3 seat, Vec3 axis)
{
    constexpr int kFacets = 8;
    const Vec3 up = Normalized(axis);
    const Vec3 side = Normalized(Cross(up, Vec3{1.0, 0.0, 0.0}));
    const Vec3 other = Cross(side, up);
    const auto ring = [&](double radius, double height, double turn, int k) {
        const double a = kTwoPi * (k + turn) / kFacets;
        return seat + up * height + other * (Cos(a) * radius) + side * (Sin(a) * radius);
    };
    MeshPart part{"jewel", kRuby, {}, {}};
    const Vec3 table = seat + up * 0.3;
    const Vec3 point = seat - up * 0.5;
    for (int k = 0; k < kFacets; ++k) {
        const Vec3 t0 = ring(0.24, 0.3, 0.5, k), t1 = ring(0.24, 0.3, 0.5, k + 1);
        const Vec3 g0 = ring(0.42, 0.0, 0.0, k), g1 = ring(0.42, 0.0, 0.0, k + 1);
        part.AddFlatTriangle(table, t0, t1, up);
        part.AddFlatTriangle(t0, g0, g1, (t0 + g1) * 0.5 - seat);
        part.AddFlatTriangle(t0, g1, t1, (t0 + t1 + g1) * (1.0 / 3.0) - seat);
        part.AddFlatTriangle(g0, point, g1, (g0 + g1) * 0.5 - seat);
    }
    return part;
}

Vec3 Tilt(Vec3 v)
{
    const double roll = kRollDegrees * kPi / 180.0;
    const double cr = Cos(roll), sr = Sin(roll);
    const Vec3 rolled{v.x * cr - v.y * sr, v.x * sr + v.y * cr, v.z};
    const double tilt = kTiltDegrees * kPi / 180.0;
    const double ct = Cos(tilt), st = Sin(tilt);
    return {rolled.x, rolled.y * ct - rolled.z * st, rolled.y * st + rolled.z * ct};
}

void TiltPart(MeshPart& part)
{
    for (Vec3& v : part.vertices) {
        v = Tilt(v);
    }
}

std::string Numbered(const char* stem, int n)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s_%02d", stem, n);
    return text;
}

// Shards of one side, outer ring first, then the inner ring. Columns are
// centred on the tip and the dip so that no shard's centre sits right on
// the vertical axis; each ring starts at the tip and climbs both sides.
std::vector<MeshPart> MakeShell(const HeartShape& heart, double side, const char* stem)
{
    std::vector<int> columns{kShardColumns / 2};
    for (int step = 1; step < kShardColumns / 2; ++step) {
        columns.push_back(kShardColumns / 2 - step);
        columns.push_back(kShardColumns / 2 + step);
    }
    columns.push_back(0);
    std::vector<MeshPart> shards;
    const double bands[3] = {0.1, 0.52, 0.96};
    int number = 1;
    for (int band = 1; band >= 0; --band) {
        for (const int column : columns) {
            const double u0 = kTwoPi * (column - 0.5) / kShardColumns;
            const double u1 = kTwoPi * (column + 0.5) / kShardColumns;
            shards.push_back(MakeShard(heart, u0, u1, bands[band], bands[band + 1], side, Numbered(stem, number++)));
        }
    }
    return shards;
}

} // namespace

std::vector<MeshPart> MakeHeartSculpture()
{
    const HeartShape heart(kHeartScale);
    std::vector<MeshPart> build; // in order of appearance

    const OutlinePath right(heart, true);
    const OutlinePath left(heart, false);
    int cordNumber = 1;
    for (int i = 0; i < kOutlineSegments / 2; ++i) {
        for (const OutlinePath* path : {&right, &left}) {
            const double piece = path->TotalLength() / (kOutlineSegments / 2);
            build.push_back(MakeCordSegment(*path, piece * i, piece * (i + 1), Numbered("cord", cordNumber++)));
        }
    }
    for (MeshPart& shard : MakeShell(heart, -1.0, "back")) {
        build.push_back(std::move(shard));
    }
    for (MeshPart& shard : MakeShell(heart, 1.0, "front")) {
        build.push_back(std::move(shard));
    }
    const size_t heartParts = build.size();
    for (int i = 0; i < 8; ++i) {
        const double azimuth = kTwoPi * (i + 0.5) / 8.0;
        const double elevation = (i % 2 == 0 ? 22.0 : -16.0) * kPi / 180.0;
        const Vec3 direction{Cos(elevation) * Sin(azimuth), Sin(elevation), Cos(elevation) * Cos(azimuth)};
        build.push_back(MakeSatellite(direction * kSatelliteRadius, Numbered("orbit", i + 1)));
    }
    const double seatS = 0.22;
    const Vec3 seat = heart.Surface(0.0, seatS, 1.0, kPillowDepth);
    build.push_back(MakeJewel(seat + Vec3{0.0, 0.0, 0.05}, heart.SurfaceNormal(0.0, seatS, 1.0, kPillowDepth)));
    for (size_t i = 0; i < build.size(); ++i) {
        if (i < heartParts || i + 1 == build.size()) {
            TiltPart(build[i]);
        }
    }
    std::reverse(build.begin(), build.end());
    return build;
}
