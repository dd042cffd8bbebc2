#include "resources/PngDecoder.h"
#include "tests/support/PngWriter.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

struct Kind {
    const char* name;
    int colorType;
    int bitDepth;
    bool interlaced;
    bool transparency;
};

// A pattern that uses the whole sample range and differs in every channel.
uint16_t Sample(uint32_t x, uint32_t y, uint32_t c, int bitDepth)
{
    const uint32_t mask = (1u << bitDepth) - 1;
    return uint16_t((x * 7919u + y * 104729u + c * 15485863u + x * y * 31u) & mask);
}

PngPicture MakePicture(const Kind& kind)
{
    PngPicture picture;
    picture.width = 13;
    picture.height = 9;
    picture.colorType = kind.colorType;
    picture.bitDepth = kind.bitDepth;
    picture.interlaced = kind.interlaced;
    const uint32_t channels = picture.Channels();
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x)
            for (uint32_t c = 0; c < channels; ++c)
                picture.samples.push_back(Sample(x, y, c, kind.bitDepth));

    if (kind.colorType == PNG_COLOR_TYPE_PALETTE) {
        const uint32_t entries = 1u << kind.bitDepth;
        for (uint32_t i = 0; i < entries; ++i) {
            picture.palette.push_back(uint8_t(i * 37 + 11));
            picture.palette.push_back(uint8_t(255 - i * 13));
            picture.palette.push_back(uint8_t(i * 91));
        }
        // Fewer alpha entries than colours: the rest stay opaque.
        if (kind.transparency)
            for (uint32_t i = 0; i < (entries + 1) / 2; ++i)
                picture.paletteAlpha.push_back(uint8_t(i * 53));
    } else if (kind.transparency) {
        picture.hasTransparentColour = true;
        for (uint32_t c = 0; c < 3; ++c)
            picture.transparent[c] = picture.samples[c % channels];
    }
    return picture;
}

uint8_t To8Bits(uint16_t sample, int bitDepth)
{
    switch (bitDepth) {
    case 1:
        return sample ? 255 : 0;
    case 2:
        return uint8_t(sample * 85);
    case 4:
        return uint8_t(sample * 17);
    case 16:
        return uint8_t(sample >> 8);
    default:
        return uint8_t(sample);
    }
}

bool HasAlpha(const PngPicture& picture)
{
    return (picture.colorType & PNG_COLOR_MASK_ALPHA) || picture.hasTransparentColour
        || !picture.paletteAlpha.empty();
}

// What the picture should decode to, worked out from its samples alone.
std::vector<uint8_t> ExpectedPixels(const PngPicture& picture, bool keepAlpha)
{
    const uint32_t channels = picture.Channels();
    const bool alphaOut = keepAlpha && HasAlpha(picture);
    std::vector<uint8_t> out;
    for (size_t p = 0; p < size_t(picture.width) * picture.height; ++p) {
        const uint16_t* s = &picture.samples[p * channels];
        uint8_t rgba[4];
        if (picture.colorType == PNG_COLOR_TYPE_PALETTE) {
            for (int c = 0; c < 3; ++c)
                rgba[c] = picture.palette[s[0] * 3 + c];
            rgba[3] = s[0] < picture.paletteAlpha.size() ? picture.paletteAlpha[s[0]] : 255;
        } else if (picture.colorType & PNG_COLOR_MASK_COLOR) {
            for (int c = 0; c < 3; ++c)
                rgba[c] = To8Bits(s[c], picture.bitDepth);
            rgba[3] = channels == 4 ? To8Bits(s[3], picture.bitDepth) : 255;
            if (picture.hasTransparentColour && s[0] == picture.transparent[0] && s[1] == picture.transparent[1]
                && s[2] == picture.transparent[2])
                rgba[3] = 0;
        } else {
            rgba[0] = rgba[1] = rgba[2] = To8Bits(s[0], picture.bitDepth);
            rgba[3] = channels == 2 ? To8Bits(s[1], picture.bitDepth) : 255;
            if (picture.hasTransparentColour && s[0] == picture.transparent[0])
                rgba[3] = 0;
        }
        out.insert(out.end(), rgba, rgba + (alphaOut ? 4 : 3));
    }
    return out;
}

std::vector<uint8_t> FlipRows(const std::vector<uint8_t>& pixels, size_t rowBytes)
{
    std::vector<uint8_t> flipped;
    for (size_t row = pixels.size() / rowBytes; row-- > 0;)
        flipped.insert(flipped.end(), pixels.begin() + row * rowBytes, pixels.begin() + (row + 1) * rowBytes);
    return flipped;
}

std::vector<uint8_t> Pixels(const PngImage& image)
{
    return std::vector<uint8_t>(image.pixels.get(), image.pixels.get() + image.ByteCount());
}

const Kind kKinds[] = {
    {"Grey1", PNG_COLOR_TYPE_GRAY, 1, false, false},
    {"Grey2", PNG_COLOR_TYPE_GRAY, 2, false, false},
    {"Grey4", PNG_COLOR_TYPE_GRAY, 4, false, false},
    {"Grey8", PNG_COLOR_TYPE_GRAY, 8, false, false},
    {"Grey16", PNG_COLOR_TYPE_GRAY, 16, false, false},
    {"Grey2Transparent", PNG_COLOR_TYPE_GRAY, 2, false, true},
    {"Grey8Transparent", PNG_COLOR_TYPE_GRAY, 8, false, true},
    {"Grey16Transparent", PNG_COLOR_TYPE_GRAY, 16, false, true},
    {"GreyAlpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
    {"GreyAlpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false},
    {"Rgb8", PNG_COLOR_TYPE_RGB, 8, false, false},
    {"Rgb16", PNG_COLOR_TYPE_RGB, 16, false, false},
    {"Rgb8Transparent", PNG_COLOR_TYPE_RGB, 8, false, true},
    {"Rgb16Transparent", PNG_COLOR_TYPE_RGB, 16, false, true},
    {"Rgba8", PNG_COLOR_TYPE_RGBA, 8, false, false},
    {"Rgba16", PNG_COLOR_TYPE_RGBA, 16, false, false},
    {"Palette1", PNG_COLOR_TYPE_PALETTE, 1, false, false},
    {"Palette2", PNG_COLOR_TYPE_PALETTE, 2, false, false},
    {"Palette4", PNG_COLOR_TYPE_PALETTE, 4, false, false},
    {"Palette8", PNG_COLOR_TYPE_PALETTE, 8, false, false},
    {"Palette4Transparent", PNG_COLOR_TYPE_PALETTE, 4, false, true},
    {"Palette8Transparent", PNG_COLOR_TYPE_PALETTE, 8, false, true},
    {"InterlacedGrey4", PNG_COLOR_TYPE_GRAY, 4, true, false},
    {"InterlacedGreyAlpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, true, false},
    {"InterlacedRgb8Transparent", PNG_COLOR_TYPE_RGB, 8, true, true},
    {"InterlacedRgba8", PNG_COLOR_TYPE_RGBA, 8, true, false},
    {"InterlacedRgba16", PNG_COLOR_TYPE_RGBA, 16, true, false},
    {"InterlacedPalette2Transparent", PNG_COLOR_TYPE_PALETTE, 2, true, true},
};

class PngKind : public testing::TestWithParam<Kind> {};

TEST_P(PngKind, DecodesToTheSamePixelsAsTheReference)
{
    const PngPicture picture = MakePicture(GetParam());
    const std::vector<uint8_t> file = EncodePng(picture);
    ASSERT_FALSE(file.empty());

    for (const bool keepAlpha : {true, false}) {
        SCOPED_TRACE(keepAlpha ? "alpha kept" : "alpha dropped");
        const std::vector<uint8_t> expected = ExpectedPixels(picture, keepAlpha);
        const uint32_t channels = keepAlpha && HasAlpha(picture) ? 4 : 3;

        PngImage image;
        std::string error;
        PngDecodeOptions options;
        options.keepAlpha = keepAlpha;
        ASSERT_TRUE(DecodePng(file.data(), file.size(), options, image, error)) << error;
        EXPECT_EQ(image.width, picture.width);
        EXPECT_EQ(image.height, picture.height);
        ASSERT_EQ(image.channels, channels);
        EXPECT_EQ(Pixels(image), expected);

        options.bottomRowFirst = true;
        ASSERT_TRUE(DecodePng(file.data(), file.size(), options, image, error)) << error;
        EXPECT_EQ(Pixels(image), FlipRows(expected, size_t(picture.width) * channels));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, PngKind, testing::ValuesIn(kKinds),
                         [](const testing::TestParamInfo<Kind>& kind) { return std::string(kind.param.name); });

std::vector<uint8_t> SmallRgba()
{
    return EncodePng(MakePicture({"", PNG_COLOR_TYPE_RGBA, 8, false, false}));
}

bool Decodes(const std::vector<uint8_t>& bytes, std::string& error)
{
    PngImage image;
    const bool decoded = DecodePng(bytes.data(), bytes.size(), PngDecodeOptions{}, image, error);
    if (!decoded) {
        EXPECT_EQ(image.pixels, nullptr);
    }
    return decoded;
}

void PutBigEndian(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = uint8_t(value >> (24 - 8 * i));
}

// Rewrites the header's size and its CRC so that only the size is wrong.
std::vector<uint8_t> WithDeclaredSize(std::vector<uint8_t> bytes, uint32_t width, uint32_t height)
{
    const size_t ihdrType = 12, ihdrData = 16, ihdrLength = 13;
    PutBigEndian(bytes, ihdrData, width);
    PutBigEndian(bytes, ihdrData + 4, height);
    const uLong crc = crc32(0, bytes.data() + ihdrType, uInt(4 + ihdrLength));
    PutBigEndian(bytes, ihdrData + ihdrLength, uint32_t(crc));
    return bytes;
}

TEST(PngDecodeFailure, RejectsWhatIsNotAPng)
{
    std::string error;
    EXPECT_FALSE(Decodes({}, error));
    EXPECT_EQ(error, "not a PNG file");
    EXPECT_FALSE(Decodes({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, error));
    EXPECT_EQ(error, "not a PNG file");

    PngImage image;
    EXPECT_FALSE(DecodePng(nullptr, 100, PngDecodeOptions{}, image, error));
}

TEST(PngDecodeFailure, EveryTruncationIsAnErrorOrTheWholePicture)
{
    const std::vector<uint8_t> file = SmallRgba();
    PngImage whole;
    std::string error;
    ASSERT_TRUE(DecodePng(file.data(), file.size(), PngDecodeOptions{}, whole, error));

    int failures = 0;
    for (size_t length = 0; length < file.size(); ++length) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + length);
        PngImage image;
        if (DecodePng(cut.data(), cut.size(), PngDecodeOptions{}, image, error)) {
            // Only the trailing end marker may be missing.
            EXPECT_EQ(Pixels(image), Pixels(whole)) << "cut at " << length;
        } else {
            EXPECT_FALSE(error.empty());
            ++failures;
        }
    }
    EXPECT_GT(failures, int(file.size()) - 20);
}

TEST(PngDecodeFailure, BadCrcInTheHeaderIsAnError)
{
    std::vector<uint8_t> file = SmallRgba();
    file[29] ^= 0x55;
    std::string error;
    EXPECT_FALSE(Decodes(file, error));
    EXPECT_NE(error.find("CRC"), std::string::npos) << error;
}

TEST(PngDecodeFailure, CorruptImageDataIsAnError)
{
    std::vector<uint8_t> file = SmallRgba();
    // Overwrite the compressed stream's header with garbage and fix nothing.
    const size_t idatData = 33 + 8;
    ASSERT_EQ(std::string(file.begin() + 37, file.begin() + 41), "IDAT");
    file[idatData] = 0xff;
    file[idatData + 1] = 0xff;
    std::string error;
    EXPECT_FALSE(Decodes(file, error));
    EXPECT_FALSE(error.empty());
}

TEST(PngDecodeFailure, SidesOverTheCapAreRefused)
{
    std::string error;
    EXPECT_FALSE(Decodes(WithDeclaredSize(SmallRgba(), kMaxPngSide + 1, 1), error));
    EXPECT_NE(error.find("exceeds user limit"), std::string::npos) << error;
    EXPECT_FALSE(Decodes(WithDeclaredSize(SmallRgba(), 1, 0x7fffffff), error));
    EXPECT_FALSE(error.empty());
}

TEST(PngDecodeFailure, AHugeDeclaredSizeWithLittleDataFailsCleanly)
{
    std::string error;
    EXPECT_FALSE(Decodes(WithDeclaredSize(SmallRgba(), kMaxPngSide, kMaxPngSide), error));
    EXPECT_FALSE(error.empty());
}

TEST(PngDecodeFailure, AFailedDecodeLeavesNothingFromAnEarlierOne)
{
    const std::vector<uint8_t> file = SmallRgba();
    PngImage image;
    std::string error;
    ASSERT_TRUE(DecodePng(file.data(), file.size(), PngDecodeOptions{}, image, error));
    const std::vector<uint8_t> cut(file.begin(), file.begin() + 50);
    EXPECT_FALSE(DecodePng(cut.data(), cut.size(), PngDecodeOptions{}, image, error));
    EXPECT_EQ(image.width, 0u);
    EXPECT_EQ(image.height, 0u);
    EXPECT_EQ(image.pixels, nullptr);
}

} // namespace
