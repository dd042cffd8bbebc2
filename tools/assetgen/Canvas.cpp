#include "Canvas.h"

#include "DetMath.h"

#include <algorithm>
#include <cmath>

void Mask::Add(const Mask& other)
{
    for (size_t i = 0; i < value.size(); ++i) {
        value[i] = value[i] + other.value[i] * (1.0f - value[i]);
    }
}

void Mask::Subtract(const Mask& other)
{
    for (size_t i = 0; i < value.size(); ++i) {
        value[i] = value[i] * (1.0f - other.value[i]);
    }
}

void Mask::Multiply(const Mask& other)
{
    for (size_t i = 0; i < value.size(); ++i) {
        value[i] *= other.value[i];
    }
}

void Mask::Scale(float factor)
{
    for (float& v : value) {
        v = std::min(1.0f, v * factor);
    }
}

Canvas::Canvas(int pixelWidth, int pixelHeight, double logicalWidth, double logicalHeight)
    : width_(pixelWidth), height_(pixelHeight), logicalWidth_(logicalWidth), logicalHeight_(logicalHeight),
      pixels_(static_cast<size_t>(pixelWidth) * static_cast<size_t>(pixelHeight) * 4, 0.0f)
{
}

Mask Canvas::Shape(const DistanceField& field) const
{
    Mask mask(width_, height_);
    // One pixel's footprint is the anti-aliasing ramp.
    const double ramp = 0.5 * (UnitsPerPixelX() + UnitsPerPixelY());
    for (int py = 0; py < height_; ++py) {
        const double y = CentreY(py);
        for (int px = 0; px < width_; ++px) {
            const double d = field(CentreX(px), y);
            mask.At(px, py) = static_cast<float>(detmath::Clamp(0.5 - d / ramp, 0.0, 1.0));
        }
    }
    return mask;
}

void Canvas::Over(size_t index, Colour colour, double coverage)
{
    const double a = detmath::Clamp(colour.a * coverage, 0.0, 1.0);
    if (a <= 0.0) {
        return;
    }
    float* p = &pixels_[index * 4];
    const double keep = 1.0 - a;
    p[0] = static_cast<float>(colour.r * a + p[0] * keep);
    p[1] = static_cast<float>(colour.g * a + p[1] * keep);
    p[2] = static_cast<float>(colour.b * a + p[2] * keep);
    p[3] = static_cast<float>(a + p[3] * keep);
}

void Canvas::Paint(const Mask& mask, Colour colour)
{
    for (size_t i = 0; i < mask.value.size(); ++i) {
        Over(i, colour, mask.value[i]);
    }
}

void Canvas::PaintShaded(const Mask& mask, const std::function<Colour(double x, double y)>& shade)
{
    for (int py = 0; py < height_; ++py) {
        for (int px = 0; px < width_; ++px) {
            const float coverage = mask.At(px, py);
            if (coverage > 0.0f) {
                Over(static_cast<size_t>(py) * static_cast<size_t>(width_) + static_cast<size_t>(px),
                     shade(CentreX(px), CentreY(py)), coverage);
            }
        }
    }
}

void Canvas::PaintEverywhere(const std::function<Colour(double x, double y)>& shade)
{
    for (int py = 0; py < height_; ++py) {
        for (int px = 0; px < width_; ++px) {
            Over(static_cast<size_t>(py) * static_cast<size_t>(width_) + static_cast<size_t>(px),
                 shade(CentreX(px), CentreY(py)), 1.0);
        }
    }
}

namespace {

uint8_t ToByte(double v)
{
    return static_cast<uint8_t>(std::floor(detmath::Clamp(v, 0.0, 1.0) * 255.0 + 0.5));
}

// Box blur of one channel of interleaved data along rows then columns.
void BoxBlurChannel(std::vector<float>& data, int width, int height, int stride, int channel, int radius)
{
    std::vector<float> line(static_cast<size_t>(std::max(width, height)));
    auto pass = [&](int count, int lines, auto index) {
        for (int l = 0; l < lines; ++l) {
            double sum = 0.0;
            for (int i = -radius; i <= radius; ++i) {
                sum += data[index(l, std::clamp(i, 0, count - 1))];
            }
            for (int i = 0; i < count; ++i) {
                line[static_cast<size_t>(i)] = static_cast<float>(sum / (2 * radius + 1));
                sum += data[index(l, std::min(i + radius + 1, count - 1))];
                sum -= data[index(l, std::max(i - radius, 0))];
            }
            for (int i = 0; i < count; ++i) {
                data[index(l, i)] = line[static_cast<size_t>(i)];
            }
        }
    };
    pass(width, height, [&](int row, int x) {
        return (static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(x)) * stride + channel;
    });
    pass(height, width, [&](int column, int y) {
        return (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(column)) * stride + channel;
    });
}

} // namespace

std::vector<uint8_t> Canvas::ToRgba8() const
{
    // Colour for transparent pixels: the premultiplied colour spread out
    // widely, divided by the spread coverage.
    std::vector<float> spread = pixels_;
    for (int c = 0; c < 4; ++c) {
        for (int pass = 0; pass < 3; ++pass) {
            BoxBlurChannel(spread, width_, height_, 4, c, 12);
        }
    }
    double meanR = 0.0, meanG = 0.0, meanB = 0.0, meanA = 0.0;
    for (size_t i = 0; i < pixels_.size(); i += 4) {
        meanR += pixels_[i];
        meanG += pixels_[i + 1];
        meanB += pixels_[i + 2];
        meanA += pixels_[i + 3];
    }
    std::vector<uint8_t> out(pixels_.size());
    for (size_t i = 0; i < pixels_.size(); i += 4) {
        const double a = pixels_[i + 3];
        double r, g, b;
        if (a >= 0.5 / 255.0) {
            r = pixels_[i] / a;
            g = pixels_[i + 1] / a;
            b = pixels_[i + 2] / a;
        } else if (spread[i + 3] > 1e-6f) {
            r = spread[i] / spread[i + 3];
            g = spread[i + 1] / spread[i + 3];
            b = spread[i + 2] / spread[i + 3];
        } else if (meanA > 0.0) {
            r = meanR / meanA;
            g = meanG / meanA;
            b = meanB / meanA;
        } else {
            r = g = b = 0.0;
        }
        out[i] = ToByte(r);
        out[i + 1] = ToByte(g);
        out[i + 2] = ToByte(b);
        out[i + 3] = ToByte(a);
    }
    return out;
}

Mask Blur(const Mask& mask, int radius, int passes)
{
    Mask out = mask;
    for (int pass = 0; pass < passes; ++pass) {
        BoxBlurChannel(out.value, out.width, out.height, 1, 0, radius);
    }
    return out;
}

Mask Dilate(const Mask& mask, int radius)
{
    Mask rows(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float best = 0.0f;
            for (int i = std::max(0, x - radius); i <= std::min(mask.width - 1, x + radius); ++i) {
                best = std::max(best, mask.At(i, y));
            }
            rows.At(x, y) = best;
        }
    }
    Mask out(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            float best = 0.0f;
            for (int j = std::max(0, y - radius); j <= std::min(mask.height - 1, y + radius); ++j) {
                best = std::max(best, rows.At(x, j));
            }
            out.At(x, y) = best;
        }
    }
    return out;
}

namespace shape {

double Circle(double x, double y, double cx, double cy, double radius)
{
    const double dx = x - cx;
    const double dy = y - cy;
    return std::sqrt(dx * dx + dy * dy) - radius;
}

double Box(double x, double y, double cx, double cy, double halfWidth, double halfHeight)
{
    const double qx = std::fabs(x - cx) - halfWidth;
    const double qy = std::fabs(y - cy) - halfHeight;
    const double ox = std::max(qx, 0.0);
    const double oy = std::max(qy, 0.0);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0);
}

double Segment(double x, double y, double ax, double ay, double bx, double by, double halfWidth)
{
    const double px = x - ax, py = y - ay;
    const double dx = bx - ax, dy = by - ay;
    const double lengthSq = dx * dx + dy * dy;
    const double t = lengthSq > 0.0 ? detmath::Clamp((px * dx + py * dy) / lengthSq, 0.0, 1.0) : 0.0;
    const double ex = px - dx * t, ey = py - dy * t;
    return std::sqrt(ex * ex + ey * ey) - halfWidth;
}

double Heart(double x, double y, double cx, double cy, double size)
{
    // Unit heart: tip at the origin, lobes up to y = 1.1.
    const double k = size / 1.1;
    double px = std::fabs((x - cx) / k);
    const double py = (y - (cy - size * 0.5)) / k;
    double d;
    if (py + px > 1.0) {
        const double dx = px - 0.25, dy = py - 0.75;
        d = std::sqrt(dx * dx + dy * dy) - std::sqrt(2.0) / 4.0;
    } else {
        const double ax = px, ay = py - 1.0;
        const double m = 0.5 * std::max(px + py, 0.0);
        const double bx = px - m, by = py - m;
        const double nearest = std::min(ax * ax + ay * ay, bx * bx + by * by);
        d = std::sqrt(nearest) * (px - py > 0.0 ? 1.0 : -1.0);
    }
    return d * k;
}

} // namespace shape
