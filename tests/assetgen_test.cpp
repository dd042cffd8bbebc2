#include "Canvas.h"
#include "DetMath.h"
#include "HeartSculpture.h"
#include "OggEncoder.h"
#include "Pictures.h"
#include "Song.h"
#include "TextRenderer.h"
#include "ShowScript.h"
#include "Synth.h"
#include "ThreeDsWriter.h"
#include "resources/PngEncoder.h"

#include <gtest/gtest.h>
#include <png.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <functional>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kData = std::string(DEMO_SOURCE_DIR) + "/data/";

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

bool DecodePng(const void* bytes, size_t size, const char* path, Picture& out)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    const int begun = path != nullptr ? png_image_begin_read_from_file(&image, path)
                                      : png_image_begin_read_from_memory(&image, bytes, size);
    if (begun == 0) {
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr) != 0;
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (static_cast<uint32_t>(U16(b, at + 2)) << 16); }
float F32(const std::vector<uint8_t>& b, size_t at)
{
    const uint32_t bits = U32(b, at);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// What a 3DS walk finds of one named object.
struct ObjectSummary {
    std::string name;
    int vertices = 0;
    int faces = 0;
    int groupedFaces = 0;
    std::vector<float> firstVertex; // as stored in the file
};

// Walks the chunk tree as the player's reader does; false on a chunk that
// does not fit its parent.
bool WalkChunks(const std::vector<uint8_t>& b, size_t start, size_t end, std::vector<ObjectSummary>& objects)
{
    size_t at = start;
    while (at + 6 <= end) {
        const uint16_t id = U16(b, at);
        const uint32_t length = U32(b, at + 2);
        if (length < 6 || at + length > end) {
            return false;
        }
        const size_t body = at + 6;
        bool ok = true;
        if (id == 0x4D4D || id == 0x3D3D || id == 0x4100) {
            ok = WalkChunks(b, body, at + length, objects);
        } else if (id == 0x4000) {
            size_t nameEnd = body;
            while (nameEnd < at + length && b[nameEnd] != 0) {
                ++nameEnd;
            }
            objects.push_back({std::string(b.begin() + static_cast<long>(body), b.begin() + static_cast<long>(nameEnd)), 0, 0, 0, {}});
            ok = WalkChunks(b, nameEnd + 1, at + length, objects);
        } else if (id == 0x4110 && !objects.empty()) {
            objects.back().vertices = U16(b, body);
            if (objects.back().vertices > 0) {
                objects.back().firstVertex = {F32(b, body + 2), F32(b, body + 6), F32(b, body + 10)};
            }
        } else if (id == 0x4120 && !objects.empty()) {
            objects.back().faces = U16(b, body);
            const size_t groups = body + 2 + 8 * static_cast<size_t>(objects.back().faces);
            ok = groups <= at + length && WalkChunks(b, groups, at + length, objects);
        } else if (id == 0x4130 && !objects.empty()) {
            size_t count = body;
            while (count < at + length && b[count] != 0) {
                ++count;
            }
            objects.back().groupedFaces += U16(b, count + 1);
        }
        if (!ok) {
            return false;
        }
        at += length;
    }
    return at == end;
}

} // namespace

namespace {

double SignedVolume(const MeshPart& part)
{
    double volume = 0.0;
    for (const auto& t : part.triangles) {
        volume += Dot(part.vertices[t[0]], Cross(part.vertices[t[1]], part.vertices[t[2]])) / 6.0;
    }
    return volume;
}

double Rms(const std::vector<float>& interleaved, size_t firstFrame, size_t frames)
{
    double sum = 0.0;
    for (size_t i = firstFrame; i < firstFrame + frames; ++i) {
        sum += interleaved[2 * i] * interleaved[2 * i] + interleaved[2 * i + 1] * interleaved[2 * i + 1];
    }
    return std::sqrt(sum / (2.0 * static_cast<double>(frames)));
}

double SineRms(double frequency, const std::function<double(double)>& filter)
{
    double sum = 0.0;
    for (int i = 0; i < 8820; ++i) {
        const double out = filter(detmath::Sin(detmath::kTwoPi * frequency * i / kSampleRate));
        if (i >= 4410) {
            sum += out * out;
        }
    }
    return std::sqrt(sum / 4410.0);
}


} // namespace

TEST(AssetgenMesh, ClosedPiecesAreWoundOutward)
{
    // Outward winding gives closed pieces a positive volume, which is what
    // makes the player's accumulated normals point out for the sphere map.
    int closed = 0;
    for (const MeshPart& part : MakeHeartSculpture()) {
        if (part.name.rfind("cord", 0) == 0) {
            continue; // open tubes
        }
        EXPECT_GT(SignedVolume(part), 0.0) << part.name;
        ++closed;
    }
    EXPECT_EQ(closed, 49);
}

TEST(AssetgenMesh, RevealOrderBuildsFromTheCordUp)
{
    const std::vector<MeshPart> parts = MakeHeartSculpture();
    ASSERT_EQ(parts.size(), 65u);
    // File order is reversed reveal order: the cord first, then back and
    // front shards, then the orbit, then the jewel.
    const auto stemOf = [](const std::string& name) { return name.substr(0, name.find('_')); };
    std::vector<std::string> stems;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        if (stems.empty() || stems.back() != stemOf(it->name)) {
            stems.push_back(stemOf(it->name));
        }
    }
    EXPECT_EQ(stems, (std::vector<std::string>{"cord", "back", "front", "orbit", "jewel"}));
    // The cord starts at the bottom tip: its first piece is its lowest.
    double lowest = 1e9;
    std::string lowestName;
    for (const MeshPart& part : parts) {
        if (stemOf(part.name) == "cord" && part.Centre().y < lowest) {
            lowest = part.Centre().y;
            lowestName = part.name;
        }
    }
    EXPECT_TRUE(lowestName == "cord_01" || lowestName == "cord_02") << lowestName;
    // Back shards lie behind the middle plane and front shards before it.
    for (const MeshPart& part : parts) {
        if (stemOf(part.name) == "back") {
            EXPECT_LT(part.Centre().z, 0.3) << part.name;
        } else if (stemOf(part.name) == "front") {
            EXPECT_GT(part.Centre().z, -0.3) << part.name;
        }
    }
}

TEST(AssetgenMesh, WriterListsEachMaterialOnce)
{
    MeshPart a{"a", "chrome", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{{0, 1, 2}}}};
    MeshPart b{"b", "ruby", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{{0, 1, 2}}}};
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeThreeDs({a, b, a}, bytes));
    int materials = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        if (U16(bytes, i) == 0xAFFF && i + 6 < bytes.size() && U16(bytes, i + 6) == 0xA000) {
            ++materials;
        }
    }
    EXPECT_EQ(materials, 2);
    MeshPart longName{std::string(80, 'n'), "chrome", {}, {}};
    EXPECT_FALSE(EncodeThreeDs({longName}, bytes));
}

TEST(AssetgenPictures, MasksBlurDilateAndCombine)
{
    Mask dot(9, 9);
    dot.At(4, 4) = 1.0f;
    const Mask grown = Dilate(dot, 2);
    EXPECT_EQ(grown.At(2, 2), 1.0f);
    EXPECT_EQ(grown.At(1, 4), 0.0f);
    const Mask soft = Blur(dot, 1, 1);
    double total = 0.0;
    for (float v : soft.value) {
        total += v;
    }
    EXPECT_NEAR(total, 1.0, 1e-6);
    EXPECT_NEAR(soft.At(4, 4), 1.0 / 9.0, 1e-6);
    Mask both = dot;
    both.Add(grown);
    EXPECT_EQ(both.At(2, 2), 1.0f);
    both.Subtract(dot);
    EXPECT_EQ(both.At(4, 4), 0.0f);
}

TEST(AssetgenPictures, TextIsCentredWhereAsked)
{
    TextRenderer text;
    ASSERT_TRUE(text.Open(kFontSansBold));
    EXPECT_FALSE(text.Open("/nonexistent/font.ttf"));
    const Canvas canvas(256, 128, 320.0, 120.0);
    const Mask line = text.Line(canvas, "HEART", 30, 100, 40);
    double weight = 0.0, sumX = 0.0, low = 1e9, high = -1e9;
    for (int y = 0; y < line.height; ++y) {
        for (int x = 0; x < line.width; ++x) {
            const double v = line.At(x, y);
            weight += v;
            sumX += v * canvas.CentreX(x);
            if (v > 0.5) {
                low = std::min(low, canvas.CentreY(y));
                high = std::max(high, canvas.CentreY(y));
            }
        }
    }
    ASSERT_GT(weight, 0.0);
    EXPECT_NEAR(sumX / weight, 100.0, 4.0);
    EXPECT_NEAR(low, 40.0, 2.0);          // capitals sit on the baseline
    EXPECT_NEAR(high - low, 22.0, 3.0);   // and are about 0.73 em tall
    EXPECT_GT(text.Width(canvas, "HEARTS", 30), text.Width(canvas, "HEART", 30));
    EXPECT_NEAR(text.Width(canvas, "HEART", 30, 10.0) - text.Width(canvas, "HEART", 30), 40.0, 1.0);
}

// The overlay's "125 BPM" is 13 units high on a screen picture, whose pixels
// are 1.25 by 0.94 units. A 2 stays a 2 there only while its arc and diagonal
// shine nearly like its foot: every row from its top to its foot holds a pixel
// well covered. (Letters start on whole pixels, so one position tells all.)
TEST(AssetgenPictures, SmallDigitsKeepEveryStrokeBright)
{
    TextRenderer text;
    ASSERT_TRUE(text.Open(kFontSans));
    const Mask two = text.Line(Canvas(512, 512, 640.0, 480.0), "2", 13, 84.0, 46.0);
    std::vector<float> brightest(size_t(two.height), 0.0f);
    for (int y = 0; y < two.height; ++y)
        for (int x = 0; x < two.width; ++x)
            brightest[size_t(y)] = std::max(brightest[size_t(y)], two.At(x, y));
    const auto solid = [](float v) { return v > 0.9f; };
    const auto top = std::find_if(brightest.begin(), brightest.end(), solid);
    const auto foot = std::find_if(brightest.rbegin(), brightest.rend(), solid).base();
    ASSERT_GE(foot - top, 9);
    for (auto row = top; row != foot; ++row)
        EXPECT_GT(*row, 0.7f) << "row " << row - brightest.begin();
}

TEST(AssetgenPictures, EveryPictureTheShowNeedsIsMade)
{
    const std::vector<NamedPicture> pictures = MakePictures();
    std::set<std::string> names;
    for (const NamedPicture& p : pictures) {
        names.insert(p.fileName);
    }
    const std::string& script = ShowScript();
    std::istringstream in(script);
    std::string line;
    int loaded = 0;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string command, handle, file;
        words >> command >> handle >> file;
        if (command == "LoadImage") {
            EXPECT_TRUE(names.count(file)) << file;
            ++loaded;
        }
    }
    EXPECT_EQ(loaded, 10);
    EXPECT_TRUE(names.count("disclaimer.png"));
}

TEST(AssetgenMusic, FiltersPassTheirBandAndStopTheOther)
{
    StateVariableFilter low, high;
    low.SetCutoff(500.0, 0.0);
    high.SetCutoff(500.0, 0.0);
    const double lowPassLow = SineRms(100.0, [&](double x) { return low.LowPass(x); });
    StateVariableFilter low2;
    low2.SetCutoff(500.0, 0.0);
    const double lowPassHigh = SineRms(8000.0, [&](double x) { return low2.LowPass(x); });
    const double highPassLow = SineRms(100.0, [&](double x) { return high.HighPass(x); });
    EXPECT_GT(lowPassLow, 0.6);
    EXPECT_LT(lowPassHigh, 0.01);
    EXPECT_LT(highPassLow, 0.05);
}

TEST(AssetgenMusic, EchoesAlternateSidesAndReverbLeavesATail)
{
    StereoBus impulse(20000);
    impulse.left[0] = 1.0f;
    impulse.right[0] = 1.0f;
    StereoBus echo(20000);
    AddPingPongDelay(impulse, echo, 1000, 0.5, 1.0);
    EXPECT_EQ(echo.left[0], 0.0f);
    EXPECT_NEAR(echo.left[1000], 1.0f, 1e-6);
    EXPECT_EQ(echo.right[1000], 0.0f);
    double rightAround2000 = 0.0;
    for (size_t i = 1990; i < 2020; ++i) {
        rightAround2000 += std::fabs(echo.right[i]);
    }
    EXPECT_GT(rightAround2000, 0.1);

    StereoBus room(20000);
    AddReverb(impulse, room, 0.8, 0.4, 1.0);
    double tail = 0.0;
    for (size_t i = 5000; i < 20000; ++i) {
        tail += std::fabs(room.left[i]) + std::fabs(room.right[i]);
    }
    EXPECT_GT(tail, 0.01);
    EXPECT_NE(room.left[3000], room.right[3000]); // the two sides differ
}

// Rendering the whole track takes seconds, so one test looks at all of it.
TEST(AssetgenMusic, TrackFollowsItsSectionsAndBeat)
{
    const std::vector<float> track = RenderSong();
    ASSERT_EQ(track.size(), 2u * kFramesPerPosition * kSongPositions);
    double peak = 0.0;
    for (float v : track) {
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
    }
    EXPECT_LE(peak, 0.892);
    EXPECT_GT(peak, 0.5);
    const auto section = [&](int position, int positions) {
        return Rms(track, static_cast<size_t>(position) * kFramesPerPosition,
                   static_cast<size_t>(positions) * kFramesPerPosition);
    };
    EXPECT_LT(section(0, 8) * 2.0, section(8, 8));   // the intro is quiet, the kick arrives at 8
    EXPECT_LT(section(32, 8), section(24, 8));       // the break drops the drums
    EXPECT_LT(section(32, 8), section(48, 8));
    EXPECT_LT(section(72, 4) * 2.0, section(64, 4)); // the ending thins out
    EXPECT_LT(Rms(track, track.size() / 2 - 100, 100), 1e-3); // and falls silent at the end

    // In the groove, the loudest moment of each beat is its first tenth.
    for (int beat = 32; beat < 64; beat += 5) {
        const size_t start = static_cast<size_t>(beat) * kFramesPerBeat;
        const double head = Rms(track, start, kFramesPerBeat / 10);
        const double rest = Rms(track, start + kFramesPerBeat / 2, kFramesPerBeat / 10);
        EXPECT_GT(head, rest * 1.5) << beat;
    }
}

TEST(AssetgenMusic, EmptyInputStillMakesAValidStream)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeOggVorbis({}, kSampleRate, 0.2f, bytes));
    const std::string path = testing::TempDir() + "assetgen_empty.ogg";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    OggVorbis_File file;
    ASSERT_EQ(ov_fopen(path.c_str(), &file), 0);
    EXPECT_EQ(ov_pcm_total(&file, -1), 0);
    ov_clear(&file);
}

TEST(AssetgenMath, MatchesTheStandardLibraryClosely)
{
    for (double x = -40.0; x <= 40.0; x += 0.37) {
        EXPECT_NEAR(detmath::Sin(x), std::sin(x), 1e-12) << x;
        EXPECT_NEAR(detmath::Cos(x), std::cos(x), 1e-12) << x;
        EXPECT_NEAR(detmath::Atan(x), std::atan(x), 1e-12) << x;
        EXPECT_NEAR(detmath::Exp(x * 0.25) / std::exp(x * 0.25), 1.0, 1e-13) << x;
        EXPECT_NEAR(detmath::Tanh(x * 0.1), std::tanh(x * 0.1), 1e-12) << x;
    }
    for (double x = 1e-6; x < 1e6; x *= 3.1) {
        EXPECT_NEAR(detmath::Log(x), std::log(x), 1e-12) << x;
    }
    EXPECT_NEAR(detmath::Atan2(-1.0, -1.0), std::atan2(-1.0, -1.0), 1e-12);
    EXPECT_NEAR(detmath::Atan2(1.0, 0.0), std::atan2(1.0, 0.0), 1e-12);
    EXPECT_NEAR(detmath::NoteFrequency(69.0), 440.0, 1e-9);
    EXPECT_NEAR(detmath::NoteFrequency(57.0), 220.0, 1e-9);
}

TEST(AssetgenPictures, PngRoundTripKeepsPixels)
{
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 40};
    std::vector<uint8_t> png;
    std::string error;
    ASSERT_TRUE(EncodePngRgba(2, 2, rgba, png, error)) << error;
    Picture decoded;
    ASSERT_TRUE(DecodePng(png.data(), png.size(), nullptr, decoded));
    EXPECT_EQ(decoded.width, 2);
    EXPECT_EQ(decoded.height, 2);
    EXPECT_EQ(decoded.rgba, rgba);
    std::vector<uint8_t> again;
    ASSERT_TRUE(EncodePngRgba(2, 2, rgba, again, error));
    EXPECT_EQ(png, again);
    EXPECT_FALSE(EncodePngRgba(3, 2, rgba, png, error));
    EXPECT_EQ(error, "picture size does not match its pixels");

    PngContent content;
    content.width = 1;
    content.height = 1;
    content.colourType = 2;
    content.bitDepth = 4;
    content.samples = rgba;
    EXPECT_FALSE(EncodePng(content, png, error));
    EXPECT_EQ(error, "PNG has no colour type 2 at 4 bits");
}

TEST(AssetgenPictures, CanvasIsUprightAndTransparentPixelsTakeNearbyColour)
{
    // A red box in the upper half of the logical space.
    Canvas canvas(32, 32, 64.0, 64.0);
    canvas.Paint(canvas.Shape([](double x, double y) { return shape::Box(x, y, 32, 48, 8, 8); }), {1.0, 0.0, 0.0, 1.0});
    const std::vector<uint8_t> rgba = canvas.ToRgba8();
    const auto pixel = [&](int x, int row) { return &rgba[(static_cast<size_t>(row) * 32 + static_cast<size_t>(x)) * 4]; };
    EXPECT_EQ(pixel(16, 8)[3], 255);  // top rows hold the box
    EXPECT_EQ(pixel(16, 24)[3], 0);   // bottom rows are clear
    EXPECT_EQ(pixel(16, 24)[0], 255); // but red, so filtering adds no dark rim
    EXPECT_EQ(pixel(16, 24)[1], 0);
}

TEST(AssetgenPictures, HeartShapeIsInsideAtItsCentreAndOutsideBeyondIt)
{
    EXPECT_LT(shape::Heart(0.0, 0.0, 0.0, 0.0, 10.0), 0.0);
    EXPECT_GT(shape::Heart(0.0, -6.0, 0.0, 0.0, 10.0), 0.0);
    EXPECT_GT(shape::Heart(6.0, 0.0, 0.0, 0.0, 10.0), 0.0);
    EXPECT_NEAR(shape::Circle(3.0, 4.0, 0.0, 0.0, 2.0), 3.0, 1e-12);
}

TEST(AssetgenMesh, WriterConvertsAxesAndGroupsEveryFace)
{
    MeshPart part{"piece", "chrome", {}, {}};
    part.AddVertex({1.0, 2.0, 3.0});
    part.AddVertex({0.0, 0.0, 0.0});
    part.AddVertex({1.0, 0.0, 0.0});
    part.AddTriangleFacing(0, 1, 2, {0.0, 0.0, 1.0});
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeThreeDs({part, part}, bytes));
    EXPECT_EQ(U16(bytes, 0), 0x4D4D);
    EXPECT_EQ(U32(bytes, 2), bytes.size());
    std::vector<ObjectSummary> objects;
    ASSERT_TRUE(WalkChunks(bytes, 0, bytes.size(), objects));
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].name, "piece");
    EXPECT_EQ(objects[0].vertices, 3);
    EXPECT_EQ(objects[0].faces, 1);
    EXPECT_EQ(objects[0].groupedFaces, 1);
    // The player reads file (a, b, c) as (a, c, -b).
    EXPECT_EQ(objects[0].firstVertex, (std::vector<float>{1.0f, -3.0f, 2.0f}));

    MeshPart tooBig{"big", "chrome", std::vector<Vec3>(65535), {}};
    EXPECT_FALSE(EncodeThreeDs({tooBig}, bytes));
}

TEST(AssetgenMesh, TrianglesFaceTheRequestedSide)
{
    MeshPart part{"t", "chrome", {}, {}};
    part.AddFlatTriangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, -1});
    const auto& t = part.triangles[0];
    const Vec3 n = Cross(part.vertices[t[1]] - part.vertices[t[0]], part.vertices[t[2]] - part.vertices[t[0]]);
    EXPECT_LT(n.z, 0.0);
    EXPECT_NEAR(part.Centre().x, 1.0 / 3.0, 1e-12);
}

TEST(AssetgenMesh, SculptureSuitsTheRevealingCamera)
{
    const std::vector<MeshPart> parts = MakeHeartSculpture();
    ASSERT_GE(parts.size(), 40u);
    std::set<std::string> names;
    double heartLeft = 0.0, heartRight = 0.0;
    double farthest = 0.0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const MeshPart& p = parts[i];
        EXPECT_TRUE(names.insert(p.name).second) << p.name;
        EXPECT_LT(p.vertices.size(), 65535u);
        EXPECT_FALSE(p.triangles.empty()) << p.name;
        const Vec3 c = p.Centre();
        const double distance = Length(c);
        farthest = std::max(farthest, distance);
        // The camera looks from the centre's direction with y up; straight
        // above or below would leave it without a horizon.
        EXPECT_GT(distance, 0.5) << p.name;
        EXPECT_LT(std::fabs(c.y) / distance, std::cos(10.0 * detmath::kPi / 180.0)) << p.name;
        if (p.name.rfind("orbit", 0) != 0) {
            for (const Vec3& v : p.vertices) {
                heartLeft = std::min(heartLeft, v.x);
                heartRight = std::max(heartRight, v.x);
            }
        }
    }
    EXPECT_NEAR(heartRight - heartLeft, 8.4, 0.6);         // about eight units across
    EXPECT_NEAR(farthest * 1.5, 12.0, 0.1);                // the orbit pulls the camera to its limit
    EXPECT_LT(Length(parts.front().Centre()), 2.5);        // the last piece sits on the heart
    EXPECT_LT(Length(parts.back().Centre()) * 1.5, 12.0);  // the first piece starts the camera close
    EXPECT_EQ(parts.back().name, "cord_01");
    EXPECT_EQ(parts.front().name, "jewel");
}

TEST(AssetgenMusic, InstrumentsSoundAndDecay)
{
    StereoBus bus(kSampleRate);
    instrument::Kick(bus, 0, 0.6);
    double early = 0.0, late = 0.0;
    for (size_t i = 0; i < 4410; ++i) {
        early = std::max(early, static_cast<double>(std::fabs(bus.left[i])));
    }
    for (size_t i = 30000; i < 44100; ++i) {
        late = std::max(late, static_cast<double>(std::fabs(bus.left[i])));
    }
    EXPECT_GT(early, 0.3);
    EXPECT_LT(late, 0.01);

    SawOscillator saw;
    double low = 0.0, high = 0.0;
    for (int i = 0; i < 44100; ++i) {
        const double v = saw.Next(440.0);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_LT(high, 1.2);
    EXPECT_GT(low, -1.2);
    EXPECT_GT(high - low, 1.8);
}

TEST(AssetgenMusic, VorbisEncodingIsRepeatableAndDecodes)
{
    std::vector<float> samples(2 * 22050);
    for (size_t i = 0; i < 22050; ++i) {
        samples[2 * i] = static_cast<float>(0.5 * detmath::Sin(detmath::kTwoPi * 440.0 * i / kSampleRate));
        samples[2 * i + 1] = samples[2 * i] * 0.5f;
    }
    std::vector<uint8_t> first, second;
    ASSERT_TRUE(EncodeOggVorbis(samples, kSampleRate, 0.2f, first));
    ASSERT_TRUE(EncodeOggVorbis(samples, kSampleRate, 0.2f, second));
    EXPECT_EQ(first, second);
    const std::string path = testing::TempDir() + "assetgen_tone.ogg";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(first.data()), static_cast<std::streamsize>(first.size()));
    OggVorbis_File file;
    ASSERT_EQ(ov_fopen(path.c_str(), &file), 0);
    EXPECT_EQ(ov_info(&file, -1)->channels, 2);
    EXPECT_EQ(ov_info(&file, -1)->rate, 44100);
    EXPECT_EQ(ov_pcm_total(&file, -1), 22050);
    ov_clear(&file);
}

TEST(AssetgenScript, GrowsTheDisclaimerToFullSizeAndEndsWithTheMusic)
{
    const std::string& script = ShowScript();
    ASSERT_FALSE(script.empty());
    EXPECT_EQ(script.back(), '\n');
    size_t lines = 0;
    for (char c : script) {
        lines += c == '\n' ? 1 : 0;
    }
    // 149 lines and the empty one after the last break: 0.25 + 150 * 0.005.
    EXPECT_EQ(lines, 149u);
    std::istringstream in(script);
    std::string line;
    std::set<std::string> commands;
    std::string last;
    while (std::getline(in, line)) {
        EXPECT_LT(line.size(), 256u);
        EXPECT_TRUE(line.empty() || (line[0] != ' ' && line[0] != '\t')) << line;
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (!word.empty() && (word[0] == '#' || word[0] == '=')) {
            words >> word;
        }
        commands.insert(word);
        if (!line.empty()) {
            last = line;
        }
    }
    for (const char* command : {"Define", "LoadImage", "LoadMusic", "DefinePattern", "UsePattern", "DisablePattern",
                                "Set", "Trig", "Fade", "End"}) {
        EXPECT_TRUE(commands.count(command)) << command;
    }
    EXPECT_NE(script.find("// Goto "), std::string::npos);
    EXPECT_NE(script.find(" repeat\n"), std::string::npos);
    EXPECT_EQ(last, "End #80.0");
}

TEST(AssetgenData, PicturesHaveTheSizesTheEffectsExpect)
{
    struct Expected {
        const char* name;
        int width;
        int height;
    };
    for (const Expected& e : {Expected{"envmap", 256, 256}, Expected{"noise", 256, 256}, Expected{"logo", 128, 128},
                              Expected{"lumora", 512, 512}, Expected{"pic1", 512, 512}, Expected{"pic2", 512, 512},
                              Expected{"pic3", 512, 512}, Expected{"pic4", 512, 512}, Expected{"pic5", 512, 512},
                              Expected{"pic6", 512, 512}, Expected{"disclaimer", 512, 256}}) {
        Picture picture;
        const std::string path = kData + "png/" + e.name + ".png";
        ASSERT_TRUE(DecodePng(nullptr, 0, path.c_str(), picture)) << path;
        EXPECT_EQ(picture.width, e.width) << e.name;
        EXPECT_EQ(picture.height, e.height) << e.name;
        size_t clear = 0;
        for (size_t i = 3; i < picture.rgba.size(); i += 4) {
            clear += picture.rgba[i] < 192 ? 1 : 0;
        }
        const double clearShare = static_cast<double>(clear) / (picture.rgba.size() / 4);
        if (std::string(e.name).rfind("pic", 0) == 0 || std::string(e.name) == "lumora") {
            // Full-screen overlays must let the heart show through.
            EXPECT_GT(clearShare, 0.3) << e.name;
        }
        if (std::string(e.name) == "noise") {
            EXPECT_GT(clearShare, 0.5) << "static must veil, not cover";
        }
    }
    Picture disclaimer;
    ASSERT_TRUE(DecodePng(nullptr, 0, (kData + "png/disclaimer.png").c_str(), disclaimer));
    // It has to fit the 640 by 480 2D space at full size.
    EXPECT_LE(disclaimer.width, 640);
    EXPECT_LE(disclaimer.height, 480);
}

TEST(AssetgenData, MeshAndMusicLoad)
{
    const std::vector<uint8_t> mesh = ReadFile(kData + "3ds/cordel.3ds");
    ASSERT_GT(mesh.size(), 6u);
    std::vector<ObjectSummary> objects;
    ASSERT_TRUE(WalkChunks(mesh, 0, mesh.size(), objects));
    ASSERT_GE(objects.size(), 40u);
    for (const ObjectSummary& o : objects) {
        EXPECT_GT(o.faces, 0) << o.name;
        EXPECT_EQ(o.groupedFaces, o.faces) << o.name;
        EXPECT_LT(o.vertices, 65535) << o.name;
    }

    const std::string music = kData + "music/cordel.ogg";
    EXPECT_LT(ReadFile(music).size(), 4u * 1024 * 1024);
    OggVorbis_File file;
    ASSERT_EQ(ov_fopen(music.c_str(), &file), 0);
    EXPECT_EQ(ov_info(&file, -1)->channels, 2);
    EXPECT_EQ(ov_info(&file, -1)->rate, 44100);
    // 80 positions of 1920 ms.
    EXPECT_NEAR(ov_time_total(&file, -1), 153.6, 0.01);
    ov_clear(&file);
}
