// Windows reads plain char text in the ANSI code page: music, pictures and
// scripts named outside it must still open by their UTF-8 names, in a folder
// named outside it too, and message boxes must reach Windows' own box whole.
#include "platform/AudioLayer.h"
#include "platform/FileRead.h"
#include "platform/MessageBox.h"
#include "platform/windows/SystemMessageBox.h"
#include "resources/PngDecoder.h"
#include "tests/support/PngWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void Write(const fs::path& path, const void* bytes, size_t size)
{
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(bytes), std::streamsize(size));
    ASSERT_TRUE(out.good()) << Utf8(path);
}

// One second of 16-bit mono silence at 8000 Hz.
std::vector<uint8_t> SilentWav()
{
    const uint32_t rate = 8000, dataBytes = rate * 2;
    std::vector<uint8_t> wav(44 + dataBytes, 0);
    auto put32 = [&](size_t at, uint32_t value) { std::memcpy(&wav[at], &value, 4); };
    auto put16 = [&](size_t at, uint16_t value) { std::memcpy(&wav[at], &value, 2); };
    std::memcpy(&wav[0], "RIFF", 4);
    put32(4, uint32_t(wav.size() - 8));
    std::memcpy(&wav[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, rate);
    put32(28, rate * 2);
    put16(32, 2);
    put16(34, 16);
    std::memcpy(&wav[36], "data", 4);
    put32(40, dataBytes);
    return wav;
}

class Utf8Files : public testing::Test {
protected:
    void SetUp() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        ASSERT_TRUE(fs::create_directories(folder));
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    const fs::path folder = fs::temp_directory_path() / u8"Ordner-Ключ-☃";
};

struct AskedBox {
    std::wstring text, caption;
    unsigned style = 0;
    int answer = 0;
};
AskedBox asked;

int AskBox(const wchar_t* text, const wchar_t* caption, unsigned style)
{
    asked.text = text;
    asked.caption = caption;
    asked.style = style;
    return asked.answer;
}

} // namespace

TEST_F(Utf8Files, MusicAndPicturesOpen)
{
    const std::vector<uint8_t> wav = SilentWav();
    Write(folder / u8"Мелодия-♪.wav", wav.data(), wav.size());
    PngPicture picture;
    picture.width = 2;
    picture.height = 1;
    picture.samples = {10, 20, 30, 255, 40, 50, 60, 128};
    const std::vector<uint8_t> png = EncodePng(picture);
    Write(folder / u8"Bild-日本.png", png.data(), png.size());

    AudioSetOutputOff(true);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    uint32_t milliseconds = 0;
    EXPECT_TRUE(AudioMusicFileLengthMs(Utf8(folder / u8"Мелодия-♪.wav").c_str(), &milliseconds))
        << "audio error " << BASS_ErrorGetCode();
    EXPECT_EQ(milliseconds, 1000u);
    EXPECT_FALSE(AudioMusicFileLengthMs(Utf8(folder).c_str(), &milliseconds));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorFileOpen) << "a folder is no music";
    BASS_Free();
    AudioSetOutputOff(false);

    PngImage image;
    std::string error;
    ASSERT_TRUE(DecodePngFile(Utf8(folder / u8"Bild-日本.png").c_str(), PngDecodeOptions{}, image, error)) << error;
    EXPECT_EQ(image.width, 2u);
    EXPECT_EQ(image.pixels[4], 40);
}

TEST_F(Utf8Files, WholeFilesReadAsTheyAre)
{
    // Text mode would turn CR LF into LF and stop at Ctrl-Z: the script's
    // reader does both itself.
    const std::string text = "Goto 1\r\nEnd\x1A trailing";
    const std::string path = Utf8(folder / u8"Skript-é☃.txt");
    Write(folder / u8"Skript-é☃.txt", text.data(), text.size());
    std::string bytes;
    ASSERT_EQ(ReadWholeFile(path.c_str(), bytes), FileRead::Ok);
    EXPECT_EQ(bytes, text);
    EXPECT_EQ(ReadWholeFile(path.c_str(), bytes, text.size()), FileRead::Ok);
    EXPECT_EQ(ReadWholeFile(path.c_str(), bytes, text.size() - 1), FileRead::TooLarge);
    EXPECT_EQ(ReadWholeFile(Utf8(folder / u8"missing.txt").c_str(), bytes), FileRead::CannotOpen);
    EXPECT_EQ(ReadWholeFile("\xC3(", bytes), FileRead::CannotOpen) << "not UTF-8";
}

TEST(Utf8MessageBox, WindowsOwnBoxAsksWithItsQuestionIcon)
{
    SetMessageBoxSink(nullptr);
    SetWideMessageBoxFunction(AskBox);
    const unsigned question = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    asked.answer = IDYES;
    EXPECT_EQ(MessageBoxA("Plein écran ? ☃", "Fullscreen", question), IDYES);
    EXPECT_EQ(asked.text, L"Plein \u00e9cran ? \u2603");
    EXPECT_EQ(asked.caption, L"Fullscreen");
    EXPECT_EQ(asked.style, 0x124u) << "Windows' MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2";
    asked.answer = 0;
    EXPECT_EQ(MessageBoxA("Fullscreen?", "Fullscreen", question), IDNO) << "no box: the default button";
    SetWideMessageBoxFunction(nullptr);
}
