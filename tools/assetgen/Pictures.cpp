#include "Pictures.h"

#include "DetMath.h"
#include "Random.h"
#include "TextRenderer.h"

#include <algorithm>
#include <cmath>
#include <optional>

using detmath::Clamp;
using detmath::SmoothStep;

namespace {

// Full-screen pictures are power-of-two textures that the player stretches
// over its 640 by 480 2D space; they are drawn in that space directly.
constexpr int kScreenTexels = 512;
constexpr double kScreenWidth = 640.0;
constexpr double kScreenHeight = 480.0;

const Colour kWhite{1.0, 1.0, 1.0, 1.0};
const Colour kRose{1.0, 0.62, 0.78, 1.0};
const Colour kPale{1.0, 0.9, 0.95, 1.0};
const Colour kCyan{0.55, 1.0, 0.92, 1.0};

Colour WithAlpha(Colour c, double a)
{
    c.a = a;
    return c;
}

struct Fonts {
    TextRenderer bold;
    TextRenderer regular;
    TextRenderer serif;

    bool Open() { return bold.Open(kFontSansBold) && regular.Open(kFontSans) && serif.Open(kFontSerif); }
};

// A stroke of the given half width along the outline of a distance field.
DistanceField Outline(DistanceField field, double halfWidth)
{
    return [field, halfWidth](double x, double y) { return std::fabs(field(x, y)) - halfWidth; };
}

void PaintGlow(Canvas& canvas, const Mask& mask, Colour colour, int radius, double strength)
{
    Mask glow = Blur(mask, radius, 3);
    glow.Scale(static_cast<float>(strength));
    canvas.Paint(glow, colour);
}

// --- sphere map -----------------------------------------------------------

double Light(double dx, double dy, double dz, double lx, double ly, double lz, double inner, double outer)
{
    const double length = std::sqrt(lx * lx + ly * ly + lz * lz);
    const double c = (dx * lx + dy * ly + dz * lz) / length;
    return SmoothStep(outer, inner, c);
}

// A dark studio: deep violet walls, a rose glow on one side, a black floor,
// and a few bright soft boxes. Chrome reflecting it reads as dark metal
// with sharp highlights rather than as a white surface.
Colour StudioEnvironment(double dx, double dy, double dz)
{
    Colour c;
    if (dy >= 0.0) {
        const double t = std::sqrt(dy);
        c = {detmath::Mix(0.32, 0.07, t), detmath::Mix(0.10, 0.03, t), detmath::Mix(0.36, 0.16, t), 1.0};
    } else {
        const double t = std::sqrt(-dy);
        c = {detmath::Mix(0.10, 0.01, t), detmath::Mix(0.02, 0.0, t), detmath::Mix(0.07, 0.01, t), 1.0};
    }
    const double roseSide = SmoothStep(0.1, 0.9, -dx) * SmoothStep(-0.3, 0.2, dy) * SmoothStep(0.6, 0.0, dy);
    const double horizon = detmath::Exp(-(dy / 0.02) * (dy / 0.02));
    const double strip = detmath::Exp(-((dy - 0.32) / 0.02) * ((dy - 0.32) / 0.02)) * SmoothStep(0.0, 0.5, dx);
    const double key = Light(dx, dy, dz, -0.5, 0.75, 0.45, 0.975, 0.95);
    const double rim = Light(dx, dy, dz, 0.95, 0.15, -0.25, 0.99, 0.97);
    const double back = Light(dx, dy, dz, 0.2, 0.4, -1.0, 0.995, 0.98);
    const double top = Light(dx, dy, dz, 0.0, 1.0, 0.0, 0.995, 0.985);
    c.r += 0.45 * roseSide + 0.35 * horizon + 0.8 * strip + key + 1.0 * rim + 0.3 * back + 0.6 * top;
    c.g += 0.1 * roseSide + 0.2 * horizon + 0.8 * strip + key + 0.5 * rim + 0.8 * back + 0.6 * top;
    c.b += 0.3 * roseSide + 0.3 * horizon + 0.85 * strip + key + 0.75 * rim + 1.0 * back + 0.7 * top;
    c.r = Clamp(c.r, 0.0, 1.0);
    c.g = Clamp(c.g, 0.0, 1.0);
    c.b = Clamp(c.b, 0.0, 1.0);
    return c;
}

Canvas MakeEnvMap()
{
    Canvas canvas(256, 256, 2.0, 2.0);
    canvas.PaintEverywhere([](double x, double y) {
        double u = x - 1.0;
        double v = y - 1.0;
        const double r2 = u * u + v * v;
        if (r2 > 0.999) {
            const double r = std::sqrt(r2 / 0.999);
            u /= r;
            v /= r;
        }
        const double nz = std::sqrt(std::max(0.0, 1.0 - u * u - v * v));
        // Reflection of the view direction about the normal (u, v, nz).
        return StudioEnvironment(2.0 * nz * u, 2.0 * nz * v, 2.0 * nz * nz - 1.0);
    });
    return canvas;
}

// --- noise ----------------------------------------------------------------

Canvas MakeNoise()
{
    Canvas canvas(256, 256, 256.0, 256.0);
    Random random(0x6E6F697365ull);
    std::vector<double> rowLift(256);
    for (double& lift : rowLift) {
        lift = random.Unit() < 0.08 ? 0.25 + 0.3 * random.Unit() : 0.0;
    }
    canvas.PaintEverywhere([&](double x, double y) {
        const int row = static_cast<int>(y);
        (void)x;
        const double grey = std::floor(random.Unit() * 16.0) / 15.0;
        const double level = Clamp(grey * 0.85 + rowLift[static_cast<size_t>(row)], 0.0, 1.0);
        const double alpha = Clamp(0.12 + 0.3 * level + 0.45 * rowLift[static_cast<size_t>(row)], 0.0, 0.7);
        return Colour{level, level, level, std::floor(alpha * 8.0) / 8.0};
    });
    return canvas;
}

// --- corner mark ----------------------------------------------------------

Canvas MakeCornerLogo()
{
    Canvas canvas(128, 128, 128.0, 128.0);
    auto ring = [](double x, double y) { return std::fabs(shape::Circle(x, y, 64, 64, 52)) - 3.0; };
    auto heart = [](double x, double y) { return shape::Heart(x, y, 64, 62, 56); };
    auto heartLine = [heart](double x, double y) { return std::fabs(heart(x, y) + 7.0) - 1.5; };
    Mask ringMask = canvas.Shape(ring);
    Mask heartMask = canvas.Shape(heart);
    Mask lineMask = canvas.Shape(heartLine);
    PaintGlow(canvas, ringMask, kRose, 4, 1.2);
    canvas.Paint(ringMask, kPale);
    canvas.Paint(heartMask, WithAlpha(kRose, 0.9));
    canvas.Paint(lineMask, kWhite);
    return canvas;
}

// --- window icon ----------------------------------------------------------

// The corner mark's heart on a dark violet tile, bold enough to read at 32
// pixels in a task bar.
Canvas MakeWindowIcon()
{
    Canvas canvas(32, 32, 32.0, 32.0);
    auto tile = [](double x, double y) { return shape::Box(x, y, 16, 16, 11, 11) - 4.0; };
    auto heart = [](double x, double y) { return shape::Heart(x, y, 16, 15.5, 19); };
    canvas.Paint(canvas.Shape(tile), Colour{0.22, 0.08, 0.32, 1.0});
    canvas.Paint(canvas.Shape(heart), kRose);
    return canvas;
}

// --- full-screen pictures -------------------------------------------------

Canvas NewScreen() { return Canvas(kScreenTexels, kScreenTexels, kScreenWidth, kScreenHeight); }

Canvas MakeLumora(Fonts& fonts)
{
    Canvas canvas = NewScreen();
    auto bigHeart = [](double x, double y) { return shape::Heart(x, y, 320, 248, 430); };
    Mask heartLine = canvas.Shape(Outline(bigHeart, 2.0));
    Mask heartInner = canvas.Shape(Outline([bigHeart](double x, double y) { return bigHeart(x, y) + 16.0; }, 0.8));
    canvas.Paint(heartLine, WithAlpha(kWhite, 0.55));
    canvas.Paint(heartInner, WithAlpha(kWhite, 0.3));
    Mask title = fonts.bold.Line(canvas, "LUMORA", 104, 320, 206, 14);
    PaintGlow(canvas, title, kWhite, 8, 1.4);
    canvas.Paint(title, kWhite);
    Mask rules = canvas.Shape([](double x, double y) {
        return std::min(shape::Box(x, y, 320, 180, 190, 1.2), shape::Box(x, y, 320, 322, 190, 1.2));
    });
    canvas.Paint(rules, WithAlpha(kWhite, 0.8));
    Mask tagline = fonts.regular.Line(canvas, "C O R D E L", 22, 320, 146, 2);
    canvas.Paint(tagline, WithAlpha(kWhite, 0.9));
    return canvas;
}

// pic1: an ornamental frame with corner hearts.
Canvas MakeFramePicture(Fonts& fonts)
{
    Canvas canvas = NewScreen();
    canvas.PaintEverywhere([](double x, double y) {
        const double edge = std::min(std::min(x, kScreenWidth - x), std::min(y, kScreenHeight - y));
        return Colour{0.02, 0.0, 0.04, 0.75 * SmoothStep(34.0, 6.0, edge)};
    });
    Mask outer = canvas.Shape(Outline([](double x, double y) { return shape::Box(x, y, 320, 240, 300, 220); }, 1.6));
    Mask inner = canvas.Shape(Outline([](double x, double y) { return shape::Box(x, y, 320, 240, 290, 210); }, 0.7));
    Mask corners = canvas.NewMask();
    for (double cx : {20.0, 620.0}) {
        for (double cy : {20.0, 460.0}) {
            corners.Add(canvas.Shape([cx, cy](double x, double y) { return shape::Heart(x, y, cx, cy, 26); }));
        }
    }
    Mask gap = canvas.Shape([](double x, double y) { return shape::Box(x, y, 320, 20, 70, 10); });
    outer.Subtract(gap);
    inner.Subtract(gap);
    PaintGlow(canvas, outer, kRose, 5, 1.0);
    canvas.Paint(outer, kPale);
    canvas.Paint(inner, WithAlpha(kRose, 0.8));
    canvas.Paint(corners, kRose);
    Mask label = fonts.regular.Line(canvas, "C O R D E L", 14, 320, 15, 1);
    canvas.Paint(label, kPale);
    return canvas;
}

// pic2: a dark vignette with a scope ring of ticks.
Canvas MakeVignettePicture()
{
    Canvas canvas = NewScreen();
    canvas.PaintEverywhere([](double x, double y) {
        const double dx = (x - 320.0) / 320.0;
        const double dy = (y - 240.0) / 240.0;
        const double r = std::sqrt(dx * dx + dy * dy);
        return Colour{0.03, 0.0, 0.06, 0.92 * SmoothStep(0.55, 1.25, r)};
    });
    Mask ring = canvas.Shape(Outline([](double x, double y) { return shape::Circle(x, y, 320, 240, 212); }, 0.9));
    Mask ticks = canvas.Shape([](double x, double y) {
        const double dx = x - 320.0, dy = y - 240.0;
        const double r = std::sqrt(dx * dx + dy * dy);
        const double angle = detmath::Atan2(dy, dx);
        const double step = detmath::kTwoPi / 72.0;
        const double nearest = std::floor(angle / step + 0.5) * step;
        const double along = std::fabs(angle - nearest) * r;
        const bool major = static_cast<long>(std::floor(angle / step + 0.5)) % 6 == 0;
        const double length = major ? 14.0 : 6.0;
        return std::max(along - (major ? 1.2 : 0.7), std::fabs(r - 212.0 - length * 0.5 - 2.0) - length * 0.5);
    });
    canvas.Paint(ring, WithAlpha(kRose, 0.55));
    canvas.Paint(ticks, WithAlpha(kRose, 0.7));
    return canvas;
}

// pic3: scan lines with a camera-like overlay.
Canvas MakeMonitorPicture(Fonts& fonts)
{
    Canvas canvas = NewScreen();
    canvas.PaintEverywhere([](double x, double y) {
        (void)x;
        const double phase = y - 3.0 * std::floor(y / 3.0);
        return Colour{0.0, 0.02, 0.03, phase < 1.2 ? 0.3 : 0.0};
    });
    Mask brackets = canvas.NewMask();
    for (double sx : {-1.0, 1.0}) {
        for (double sy : {-1.0, 1.0}) {
            const double cx = 320.0 + sx * 285.0;
            const double cy = 240.0 + sy * 205.0;
            brackets.Add(canvas.Shape([cx, cy, sx, sy](double x, double y) {
                const double a = shape::Segment(x, y, cx, cy, cx - sx * 40.0, cy, 1.4);
                const double b = shape::Segment(x, y, cx, cy, cx, cy - sy * 40.0, 1.4);
                return std::min(a, b);
            }));
        }
    }
    Mask cross = canvas.Shape([](double x, double y) {
        return std::min(shape::Segment(x, y, 300, 240, 312, 240, 0.7), shape::Segment(x, y, 328, 240, 340, 240, 0.7));
    });
    canvas.Paint(brackets, WithAlpha(kCyan, 0.9));
    canvas.Paint(cross, WithAlpha(kCyan, 0.6));
    canvas.Paint(fonts.bold.Line(canvas, "LIVE", 15, 74, 424), WithAlpha(kCyan, 0.95));
    canvas.Paint(canvas.Shape([](double x, double y) { return shape::Circle(x, y, 50, 429.5, 5); }),
                 Colour{1.0, 0.25, 0.35, 0.95});
    canvas.Paint(fonts.regular.Line(canvas, "125 BPM", 13, 84, 46, 1), WithAlpha(kCyan, 0.85));
    canvas.Paint(fonts.regular.Line(canvas, "CORDEL 3D", 13, 556, 46, 1), WithAlpha(kCyan, 0.85));
    return canvas;
}

// pic4: the words of the show, outlined.
Canvas MakeWordsPicture(Fonts& fonts)
{
    Canvas canvas = NewScreen();
    Mask top = fonts.bold.Line(canvas, "ONE HEART", 66, 320, 392, 6);
    Mask bottom = fonts.bold.Line(canvas, "MANY CORDS", 66, 320, 42, 6);
    Mask words = top;
    words.Add(bottom);
    Mask rim = Dilate(words, 2);
    rim.Subtract(words);
    Mask fill = words;
    fill.Scale(0.28f);
    PaintGlow(canvas, words, kRose, 6, 0.9);
    canvas.Paint(fill, kWhite);
    canvas.Paint(rim, kPale);
    return canvas;
}

// pic5: letterbox bars with a heartbeat line.
Canvas MakeLetterboxPicture(Fonts& fonts)
{
    Canvas canvas = NewScreen();
    Mask bars = canvas.Shape([](double x, double y) {
        return std::min(shape::Box(x, y, 320, 35, 400, 35), shape::Box(x, y, 320, 445, 400, 35));
    });
    canvas.Paint(bars, Colour{0.01, 0.0, 0.02, 0.93});
    Mask edges = canvas.Shape([](double x, double y) {
        return std::min(shape::Box(x, y, 320, 70.5, 400, 0.8), shape::Box(x, y, 320, 409.5, 400, 0.8));
    });
    canvas.Paint(edges, WithAlpha(kRose, 0.8));
    // A heartbeat trace: flat, a small bump, a sharp spike, a dip.
    auto trace = [](double x) {
        const double beat = x - 160.0 * std::floor(x / 160.0);
        double y = 0.0;
        y += 5.0 * detmath::Exp(-((beat - 40.0) / 8.0) * ((beat - 40.0) / 8.0));
        y += 26.0 * std::max(0.0, 1.0 - std::fabs(beat - 70.0) / 5.0);
        y -= 12.0 * std::max(0.0, 1.0 - std::fabs(beat - 78.0) / 5.0);
        y += 7.0 * detmath::Exp(-((beat - 110.0) / 11.0) * ((beat - 110.0) / 11.0));
        return 28.0 + y;
    };
    Mask line = canvas.Shape([trace](double x, double y) {
        double best = 1e9;
        for (double t = x - 8.0; t <= x + 8.0; t += 0.5) {
            const double dx = x - t, dy = y - trace(t);
            best = std::min(best, std::sqrt(dx * dx + dy * dy));
        }
        return best - 1.1;
    });
    PaintGlow(canvas, line, kRose, 4, 1.3);
    canvas.Paint(line, kPale);
    canvas.Paint(fonts.regular.Line(canvas, "EVERY CORD COUNTS", 16, 320, 438, 5), WithAlpha(kPale, 0.9));
    return canvas;
}

// pic6: the closing card.
Canvas MakeEndCard(Fonts& fonts)
{
    Canvas canvas = NewScreen();
    canvas.PaintEverywhere([](double x, double y) {
        const double dx = (x - 320.0) / 320.0;
        const double dy = (y - 240.0) / 240.0;
        const double r = std::sqrt(dx * dx + dy * dy);
        return Colour{0.02, 0.0, 0.04, 0.55 + 0.35 * SmoothStep(0.3, 1.2, r)};
    });
    Mask heart = canvas.Shape([](double x, double y) { return shape::Heart(x, y, 320, 330, 70); });
    Mask heartRim = canvas.Shape(Outline([](double x, double y) { return shape::Heart(x, y, 320, 330, 70); }, 1.2));
    PaintGlow(canvas, heart, kRose, 10, 1.2);
    canvas.Paint(heart, WithAlpha(kRose, 0.85));
    canvas.Paint(heartRim, kPale);
    Mask thanks = fonts.serif.Line(canvas, "thank you", 62, 320, 222, 2);
    PaintGlow(canvas, thanks, kRose, 6, 1.0);
    canvas.Paint(thanks, kPale);
    canvas.Paint(fonts.regular.Line(canvas, "CORDEL  -  A LUMORA SHOW", 17, 320, 176, 3), WithAlpha(kWhite, 0.9));
    canvas.Paint(fonts.regular.Line(canvas, "music, heart and pictures made by our own generator", 12, 320, 140, 1),
                 WithAlpha(kRose, 0.85));
    return canvas;
}

Canvas MakeDisclaimer(Fonts& fonts)
{
    Canvas canvas(512, 256, 512.0, 256.0);
    auto panel = [](double x, double y) { return shape::Box(x, y, 256, 128, 238, 112) - 12.0; };
    canvas.Paint(canvas.Shape(panel), Colour{0.07, 0.03, 0.09, 1.0});
    canvas.Paint(canvas.Shape(Outline(panel, 1.5)), kRose);
    Mask sign = canvas.Shape([](double x, double y) {
        // A warning triangle with its exclamation mark cut out.
        const double slope = (std::fabs(x - 90.0) * 42.0 - 24.0 * (212.0 - y)) / std::sqrt(42.0 * 42.0 + 24.0 * 24.0);
        const double body = std::max(170.0 - y, slope);
        const double bar = shape::Box(x, y, 90, 192, 2.4, 8);
        const double dot = shape::Circle(x, y, 90, 178.5, 2.6);
        return std::max(body, -std::min(bar, dot));
    });
    canvas.Paint(sign, Colour{1.0, 0.35, 0.45, 1.0});
    canvas.Paint(fonts.bold.Line(canvas, "WARNING", 34, 270, 180, 4), Colour{1.0, 0.4, 0.5, 1.0});
    const char* lines[] = {
        "This show contains flashing lights,",
        "flickering static and fast changing pictures.",
        "It may trigger seizures in people",
        "with photosensitive epilepsy.",
    };
    double baseline = 138.0;
    for (const char* line : lines) {
        canvas.Paint(fonts.regular.Line(canvas, line, 15, 256, baseline), kPale);
        baseline -= 21.0;
    }
    canvas.Paint(fonts.regular.Line(canvas, "Hold Escape at any time to stop.", 12, 256, 40),
                 WithAlpha(kRose, 0.95));
    return canvas;
}

} // namespace

std::vector<NamedPicture> MakePictures()
{
    Fonts fonts;
    if (!fonts.Open()) {
        return {};
    }
    std::vector<NamedPicture> pictures;
    pictures.push_back({"disclaimer.png", MakeDisclaimer(fonts)});
    pictures.push_back({"envmap.png", MakeEnvMap()});
    pictures.push_back({"noise.png", MakeNoise()});
    pictures.push_back({"logo.png", MakeCornerLogo()});
    pictures.push_back({"icon.png", MakeWindowIcon()});
    pictures.push_back({"lumora.png", MakeLumora(fonts)});
    pictures.push_back({"pic1.png", MakeFramePicture(fonts)});
    pictures.push_back({"pic2.png", MakeVignettePicture()});
    pictures.push_back({"pic3.png", MakeMonitorPicture(fonts)});
    pictures.push_back({"pic4.png", MakeWordsPicture(fonts)});
    pictures.push_back({"pic5.png", MakeLetterboxPicture(fonts)});
    pictures.push_back({"pic6.png", MakeEndCard(fonts)});
    return pictures;
}
