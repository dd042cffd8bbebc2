#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Colour {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    double a = 1.0;
};

// Coverage of one layer, 0 to 1 per pixel, the same size as its canvas.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> value;

    Mask(int w, int h) : width(w), height(h), value(static_cast<size_t>(w) * static_cast<size_t>(h), 0.0f) {}
    float& At(int x, int y) { return value[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    float At(int x, int y) const { return value[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }

    void Add(const Mask& other);      // saturating union
    void Subtract(const Mask& other); // removes the other's coverage
    void Multiply(const Mask& other);
    void Scale(float factor);
};

// Signed distance in logical units: negative inside the shape.
using DistanceField = std::function<double(double x, double y)>;

// An RGBA picture drawn in a logical 2D space whose origin is the bottom-left
// corner (like the player's 2D space); pixels are stored premultiplied.
class Canvas {
public:
    Canvas(int pixelWidth, int pixelHeight, double logicalWidth, double logicalHeight);

    int PixelWidth() const { return width_; }
    int PixelHeight() const { return height_; }
    double LogicalWidth() const { return logicalWidth_; }
    double LogicalHeight() const { return logicalHeight_; }
    double UnitsPerPixelX() const { return logicalWidth_ / width_; }
    double UnitsPerPixelY() const { return logicalHeight_ / height_; }
    // Logical coordinates of a pixel centre; row 0 is the top row.
    double CentreX(int px) const { return (px + 0.5) * UnitsPerPixelX(); }
    double CentreY(int py) const { return (height_ - py - 0.5) * UnitsPerPixelY(); }

    Mask NewMask() const { return Mask(width_, height_); }
    Mask Shape(const DistanceField& field) const;

    // Source-over compositing of a colour through a mask.
    void Paint(const Mask& mask, Colour colour);
    void PaintShaded(const Mask& mask, const std::function<Colour(double x, double y)>& shade);
    void PaintEverywhere(const std::function<Colour(double x, double y)>& shade);

    // 8-bit straight-alpha RGBA rows, top row first. Fully transparent pixels
    // take the colour of their surroundings, so filtering leaves no dark seams.
    std::vector<uint8_t> ToRgba8() const;

private:
    void Over(size_t index, Colour colour, double coverage);

    int width_;
    int height_;
    double logicalWidth_;
    double logicalHeight_;
    std::vector<float> pixels_; // premultiplied r, g, b, a
};

// Separable box blur repeated; radius in pixels.
Mask Blur(const Mask& mask, int radius, int passes);
// Grows coverage by the radius (in pixels), a maximum filter.
Mask Dilate(const Mask& mask, int radius);

namespace shape {
double Circle(double x, double y, double cx, double cy, double radius);
double Box(double x, double y, double cx, double cy, double halfWidth, double halfHeight);
double Segment(double x, double y, double ax, double ay, double bx, double by, double halfWidth);
// Heart with its tip at (cx, cy - size * 0.5) and its lobes reaching about
// size * 0.65 above the centre; size is the overall height.
double Heart(double x, double y, double cx, double cy, double size);
} // namespace shape
