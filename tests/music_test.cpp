#include "platform/AudioLayer.h"
#include "platform/MusicFormat.h"
#include "resources/MCSounds.h"
#include "tests/support/Fakes.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kBytesPerSecond = 44100 * 4;
constexpr uint64_t kNoValue = ~uint64_t(0);

// A quiet 440 Hz tone, mono, at a rate other than the device's so that every
// position goes through the mixer's conversion.
bool WriteTone(const fs::path& path, int format, double seconds, int rate = 22050)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    const long frames = static_cast<long>(seconds * rate);
    std::vector<short> block(4096);
    for (long done = 0; done < frames;) {
        long count = std::min<long>(frames - done, static_cast<long>(block.size()));
        for (long i = 0; i < count; ++i)
            block[i] = static_cast<short>(2000 * std::sin((done + i) * 2 * M_PI * 440 / rate));
        sf_writef_short(file, block.data(), count);
        done += count;
    }
    return sf_close(file) == 0;
}

std::vector<char> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double Seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

void SleepSeconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Polls, so that a machine busy with other work only makes the test slower.
bool WaitUntilStopped(uint32_t channel, double timeoutSeconds = 5.0)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (AudioChannelIsPlaying(channel)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        SleepSeconds(0.01);
    }
    return true;
}

// Seconds of music played per second of wall-clock time over `seconds`.
double PlayRate(uint32_t channel, double seconds)
{
    auto start = std::chrono::steady_clock::now();
    double startPosition = AudioChannelPositionSeconds(channel);
    SleepSeconds(seconds);
    double played = AudioChannelPositionSeconds(channel) - startPosition;
    return played / Seconds(std::chrono::steady_clock::now() - start);
}

// Puts SDL's audio driver choice back when the test is done with it.
class AudioDriverOverride {
public:
    explicit AudioDriverOverride(const char* driver)
    {
        if (const char* old = std::getenv("SDL_AUDIODRIVER"))
            saved = old;
        setenv("SDL_AUDIODRIVER", driver, 1);
    }
    ~AudioDriverOverride()
    {
        if (saved.empty())
            unsetenv("SDL_AUDIODRIVER");
        else
            setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    }

private:
    std::string saved;
};

struct TestTracks {
    fs::path dir;
    fs::path wav, ogg, flac, mp3, shortOgg, notMusic;
};

TestTracks tracks;

} // namespace

class Music : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        tracks.dir = fs::temp_directory_path() / ("music_test_" + std::to_string(getpid()));
        fs::create_directories(tracks.dir);
        tracks.wav = tracks.dir / "tone.wav";
        tracks.ogg = tracks.dir / "tone.ogg";
        tracks.flac = tracks.dir / "tone.flac";
        tracks.mp3 = tracks.dir / "tone.mp3";
        tracks.shortOgg = tracks.dir / "short.ogg";
        tracks.notMusic = tracks.dir / "notes.txt";
        ASSERT_TRUE(WriteTone(tracks.wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 100, 8000));
        ASSERT_TRUE(WriteTone(tracks.ogg, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 100));
        ASSERT_TRUE(WriteTone(tracks.flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 100));
        ASSERT_TRUE(WriteTone(tracks.mp3, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 100));
        ASSERT_TRUE(WriteTone(tracks.shortOgg, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.3));
        WriteBytes(tracks.notMusic, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'});
    }

    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(tracks.dir, ignored);
    }

    std::vector<std::string> Shown() const
    {
        std::vector<std::string> texts;
        for (const auto& box : boxes.boxes)
            texts.push_back(box.text);
        return texts;
    }

    RecordingMessageBoxes boxes;
};

using Texts = std::vector<std::string>;

TEST_F(Music, MissingFileShowsItCouldNotBeOpened)
{
    MCSounds music;
    EXPECT_FALSE(music.LoadStream((tracks.dir / "missing.ogg").c_str()));
    EXPECT_EQ(music.Channel(), 0u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Error in MCSounds::LoadStream: The file could not be opened.");
    EXPECT_EQ(boxes.boxes[0].caption, "Error");
    EXPECT_EQ(boxes.boxes[0].style, MB_ICONERROR);

    EXPECT_FALSE(music.LoadModule((tracks.dir / "missing.mod").c_str()));
    EXPECT_EQ(Shown().back(), "Error in MCSounds::LoadModule: The file could not be opened.");
}

TEST_F(Music, FileThatIsNoMusicShowsFormatNotRecognised)
{
    MCSounds music;
    EXPECT_FALSE(music.LoadStream(tracks.notMusic.c_str()));
    EXPECT_EQ(Shown(), Texts{"Error in MCSounds::LoadStream: The file's format is not recognised/supported."});
}

TEST_F(Music, CodeWithoutTextEndsTheMessageAfterTheColon)
{
    MCSounds music;
    ASSERT_TRUE(BASS_Free());
    {
        AudioDriverOverride noSuchDriver("no-such-driver");
        ASSERT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    }
    ASSERT_EQ(BASS_ErrorGetCode(), 3);
    music.ShowError("LoadStream");
    EXPECT_EQ(Shown(), Texts{"Error in MCSounds::LoadStream: "});
}

TEST_F(Music, EveryTableCodeHasItsText)
{
    MCSounds music;
    for (int i = 0; i < 64; ++i)
        ASSERT_TRUE(music.LoadStream(tracks.shortOgg.c_str())) << i;
    EXPECT_FALSE(music.LoadStream(tracks.shortOgg.c_str()));

    ASSERT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Init(0, 1000, 0, nullptr, nullptr));
    music.ShowError("Init");
    EXPECT_FALSE(music.LoadStream(tracks.ogg.c_str()));

    EXPECT_EQ(Shown(), (Texts{
        "Error in MCSounds::LoadStream: There is insufficent memory.",
        "Error in MCSounds::Init: The sample format is not supported by the device/drivers.",
        "Error in MCSounds::LoadStream: BASS_Init has not been successfully called.",
    }));
}

TEST_F(Music, NoRecordedErrorShowsNothing)
{
    MCSounds music;
    ASSERT_TRUE(music.LoadStream(tracks.ogg.c_str()));
    music.ShowError("LoadStream");
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Music, ConstructionSucceedsWithoutASoundDevice)
{
    AudioDriverOverride noSuchDriver("no-such-driver");
    MCSounds music;
    EXPECT_EQ(AudioDeviceRate(), 44100u);
    EXPECT_TRUE(music.LoadStream(tracks.ogg.c_str()));
    music.Play();
    EXPECT_TRUE(boxes.boxes.empty());
    // The default output really was refused; the silent device took over.
    EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
}

TEST_F(Music, SecondLoadReplacesTheHandleAndKeepsTheFirstStream)
{
    MCSounds music;
    ASSERT_TRUE(music.LoadStream(tracks.ogg.c_str()));
    uint32_t first = music.Channel();
    ASSERT_TRUE(music.LoadStream(tracks.wav.c_str()));
    uint32_t second = music.Channel();
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(AudioChannelLength(first), 100 * kBytesPerSecond);
    EXPECT_EQ(AudioChannelLength(second), 100 * kBytesPerSecond);
}

TEST_F(Music, SetPositionMovesToTheMillisecondWhetherPlayingOrNot)
{
    MCSounds music;
    ASSERT_TRUE(music.LoadStream(tracks.ogg.c_str()));
    EXPECT_TRUE(music.SetPosition(90000));
    EXPECT_EQ(AudioChannelPosition(music.Channel()), 90 * kBytesPerSecond);
    EXPECT_DOUBLE_EQ(AudioChannelPositionSeconds(music.Channel()), 90.0);
    EXPECT_TRUE(music.SetPosition(0));
    EXPECT_EQ(AudioChannelPosition(music.Channel()), 0u);

    music.Play();
    SleepSeconds(0.1);
    EXPECT_TRUE(music.SetPosition(90000));
    EXPECT_GE(AudioChannelPositionSeconds(music.Channel()), 90.0);
    SleepSeconds(0.1);
    EXPECT_GT(AudioChannelPositionSeconds(music.Channel()), 90.0);
    EXPECT_LT(AudioChannelPositionSeconds(music.Channel()), 90.5);
    EXPECT_TRUE(music.SetPosition(0));
    EXPECT_LT(AudioChannelPositionSeconds(music.Channel()), 0.5);
}

TEST_F(Music, PlayStartsFromTheBeginning)
{
    MCSounds music;
    ASSERT_TRUE(music.LoadStream(tracks.ogg.c_str()));
    ASSERT_TRUE(music.SetPosition(50000));
    music.Play();
    EXPECT_LT(AudioChannelPositionSeconds(music.Channel()), 0.1);
    EXPECT_TRUE(AudioChannelIsPlaying(music.Channel()));
}

TEST_F(Music, PlayingStreamAdvancesAtRealTime)
{
    MCSounds music;
    ASSERT_TRUE(music.LoadStream(tracks.ogg.c_str()));
    music.Play();
    SleepSeconds(0.1);
    EXPECT_NEAR(PlayRate(music.Channel(), 1.0), 1.0, 0.1);
}

TEST_F(Music, StreamPlaysOnceAndStopsAtItsEnd)
{
    MCSounds music;
    ASSERT_TRUE(music.LoadStream(tracks.shortOgg.c_str()));
    uint32_t channel = music.Channel();
    uint64_t length = AudioChannelLength(channel);
    EXPECT_EQ(length, static_cast<uint64_t>(0.3 * 44100) * 4);
    music.Play();
    ASSERT_TRUE(WaitUntilStopped(channel));
    EXPECT_EQ(AudioChannelPosition(channel), length);
    music.Play();
    EXPECT_TRUE(AudioChannelIsPlaying(channel));
    EXPECT_LT(AudioChannelPosition(channel), length / 2);
}

TEST_F(Music, PauseHoldsThePositionUntilPlayWithoutRestartGoesOnFromIt)
{
    MCSounds music;
    ASSERT_TRUE(music.LoadStream(tracks.ogg.c_str()));
    const uint32_t channel = music.Channel();
    EXPECT_FALSE(BASS_ChannelPause(channel));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorNotPlaying);

    ASSERT_TRUE(music.SetPosition(30000));
    ASSERT_TRUE(BASS_ChannelPlay(channel, false));
    SleepSeconds(0.1);
    ASSERT_TRUE(BASS_ChannelPause(channel));
    EXPECT_FALSE(AudioChannelIsPlaying(channel));
    const uint64_t held = AudioChannelPosition(channel);
    EXPECT_GT(held, 30 * kBytesPerSecond);
    SleepSeconds(0.2);
    EXPECT_EQ(AudioChannelPosition(channel), held);
    EXPECT_FALSE(BASS_ChannelPause(channel));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorNotPlaying);

    // A paused stream that is moved stays paused at its new place.
    ASSERT_TRUE(music.SetPosition(60000));
    EXPECT_FALSE(AudioChannelIsPlaying(channel));
    EXPECT_EQ(AudioChannelPosition(channel), 60 * kBytesPerSecond);

    ASSERT_TRUE(BASS_ChannelPlay(channel, false));
    EXPECT_TRUE(AudioChannelIsPlaying(channel));
    SleepSeconds(0.1);
    EXPECT_GT(AudioChannelPositionSeconds(channel), 60.0);
    EXPECT_LT(AudioChannelPositionSeconds(channel), 65.0);
    EXPECT_FALSE(BASS_ChannelPause(0));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorHandle);
}

TEST_F(Music, PauseWithOutputOffOnlyMarksTheStream)
{
    AudioSetOutputOff(true);
    {
        AudioDriverOverride noSuchDriver("no-such-driver");
        MCSounds music;
        ASSERT_TRUE(music.LoadStream(tracks.ogg.c_str()));
        const uint32_t channel = music.Channel();
        ASSERT_TRUE(music.SetPosition(40000));
        ASSERT_TRUE(BASS_ChannelPlay(channel, false));
        EXPECT_TRUE(AudioChannelIsPlaying(channel));
        EXPECT_TRUE(BASS_ChannelPause(channel));
        EXPECT_FALSE(AudioChannelIsPlaying(channel));
        EXPECT_FALSE(BASS_ChannelPause(channel));
        ASSERT_TRUE(BASS_ChannelPlay(channel, false));
        EXPECT_TRUE(AudioChannelIsPlaying(channel));
        EXPECT_EQ(AudioChannelPosition(channel), 40 * kBytesPerSecond);
    }
    AudioSetOutputOff(false);
}

TEST_F(Music, WithoutAStreamPlayAndSetPositionDoNothingVisible)
{
    MCSounds music;
    music.Play();
    EXPECT_FALSE(music.SetPosition(1000));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorHandle);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(Music, EveryFormatOpensPlaysAndSeeks)
{
    MCSounds music;
    for (const fs::path& path : {tracks.wav, tracks.ogg, tracks.flac, tracks.mp3}) {
        SCOPED_TRACE(path.filename().string());
        ASSERT_TRUE(music.LoadStream(path.c_str()));
        uint32_t ms = 0;
        EXPECT_TRUE(AudioMusicFileLengthMs(path.c_str(), &ms));
        EXPECT_EQ(ms, 100000u);
        music.Play();
        SleepSeconds(0.1);
        EXPECT_GT(AudioChannelPosition(music.Channel()), 0u);
        EXPECT_TRUE(music.SetPosition(60500));
        SleepSeconds(0.1);
        EXPECT_GT(AudioChannelPositionSeconds(music.Channel()), 60.5);
        EXPECT_LT(AudioChannelPositionSeconds(music.Channel()), 61.0);
        // Exactly at its length a playing stream has ended.
        const uint64_t length = AudioChannelLength(music.Channel());
        EXPECT_TRUE(BASS_ChannelSetPosition(music.Channel(), length)) << BASS_ErrorGetCode();
        EXPECT_FALSE(AudioChannelIsPlaying(music.Channel()));
        SleepSeconds(0.05);
        EXPECT_EQ(AudioChannelPosition(music.Channel()), length);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

namespace {

struct BadInput {
    std::string name;
    std::vector<char> bytes;
};

std::vector<char> Cut(std::vector<char> bytes, size_t size)
{
    bytes.resize(std::min(size, bytes.size()));
    return bytes;
}

// Deterministic noise over a stretch of the file.
std::vector<char> Scramble(std::vector<char> bytes, size_t from, size_t count, unsigned seed)
{
    for (size_t i = from; i < std::min(from + count, bytes.size()); ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    return bytes;
}

std::vector<char> MagicThenNoise(const std::string& magic, size_t size)
{
    std::vector<char> bytes(magic.begin(), magic.end());
    bytes.resize(size);
    return Scramble(bytes, magic.size(), size, 7);
}

std::vector<BadInput> BadInputs()
{
    std::vector<BadInput> inputs;
    for (const fs::path& path : {tracks.wav, tracks.ogg, tracks.flac, tracks.mp3}) {
        std::string name = path.extension().string().substr(1);
        std::vector<char> whole = ReadBytes(path);
        for (size_t size : {size_t(4), size_t(40), size_t(300), size_t(4000)})
            inputs.push_back({name + " cut to " + std::to_string(size), Cut(whole, size)});
        inputs.push_back({name + " cut in half", Cut(whole, whole.size() / 2)});
        inputs.push_back({name + " scrambled header", Scramble(whole, 4, 60, 1)});
        inputs.push_back({name + " scrambled middle", Scramble(whole, whole.size() / 3, whole.size() / 3, 2)});
        inputs.push_back({name + " scrambled all but magic", Scramble(whole, 4, whole.size(), 3)});
    }
    inputs.push_back({"empty", {}});
    inputs.push_back({"RIFF WAVE noise", MagicThenNoise(std::string("RIFF\x10\0\0\0WAVE", 12), 5000)});
    inputs.push_back({"OggS noise", MagicThenNoise("OggS", 5000)});
    inputs.push_back({"fLaC noise", MagicThenNoise("fLaC", 5000)});
    inputs.push_back({"ID3 noise", MagicThenNoise("ID3", 5000)});
    inputs.push_back({"MPEG frame noise", MagicThenNoise("\xFF\xFB\x90\x00", 5000)});
    return inputs;
}

} // namespace

// Broken music either opens (and plays what it can) or is refused with a code
// and a message; it never crashes or hangs the player.
TEST_F(Music, BrokenFilesAreRefusedOrPlayWhatTheyCan)
{
    MCSounds music;
    for (const BadInput& input : BadInputs()) {
        SCOPED_TRACE(input.name);
        fs::path path = tracks.dir / "broken";
        WriteBytes(path, input.bytes);
        boxes.boxes.clear();
        if (music.LoadStream(path.c_str())) {
            music.Play();
            music.SetPosition(1000);
            SleepSeconds(0.05);
            EXPECT_NE(AudioChannelPosition(music.Channel()), kNoValue);
            EXPECT_TRUE(boxes.boxes.empty());
        } else {
            EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorFileFormat);
            EXPECT_EQ(Shown(), Texts{"Error in MCSounds::LoadStream: The file's format is not recognised/supported."});
        }
    }
}

TEST_F(Music, DirectoryIsAFileThatCannotBeOpened)
{
    MCSounds music;
    EXPECT_FALSE(music.LoadStream(tracks.dir.c_str()));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorFileOpen);
    EXPECT_EQ(Shown(), Texts{"Error in MCSounds::LoadStream: The file could not be opened."});
}

// WAV plays from memory and knows its real length; FLAC streams and states
// the length of the whole file, so the decoder finds the end (within the
// frame that was cut).
TEST_F(Music, FileCutShortStopsWhereItsMusicEnds)
{
    MCSounds music;
    for (const fs::path& source : {tracks.wav, tracks.flac}) {
        SCOPED_TRACE(source.filename().string());
        fs::path path = tracks.dir / ("half" + source.extension().string());
        std::vector<char> whole = ReadBytes(source);
        WriteBytes(path, Cut(whole, whole.size() / 2 + 22));
        ASSERT_TRUE(music.LoadStream(path.c_str()));
        music.Play();
        ASSERT_TRUE(music.SetPosition(49500));
        ASSERT_TRUE(WaitUntilStopped(music.Channel()));
        EXPECT_NEAR(AudioChannelPositionSeconds(music.Channel()), 50.0, 0.2);
    }
}

TEST_F(Music, OutputOffOpensStreamsButNeverPlaysThem)
{
    AudioSetOutputOff(true);
    {
        AudioDriverOverride noSuchDriver("no-such-driver");
        MCSounds music;
        ASSERT_TRUE(music.LoadStream(tracks.ogg.c_str()));
        uint32_t ms = 0;
        EXPECT_TRUE(AudioMusicFileLengthMs(tracks.ogg.c_str(), &ms));
        EXPECT_EQ(ms, 100000u);
        music.Play();
        EXPECT_TRUE(music.SetPosition(90000));
        SleepSeconds(0.1);
        EXPECT_EQ(AudioChannelPosition(music.Channel()), 90 * kBytesPerSecond);
        music.Play();
        EXPECT_EQ(AudioChannelPosition(music.Channel()), 0u);
        EXPECT_TRUE(music.SetPosition(100000));
        EXPECT_FALSE(AudioChannelIsPlaying(music.Channel()));
        EXPECT_EQ(AudioChannelPosition(music.Channel()), 100 * kBytesPerSecond);
        EXPECT_TRUE(boxes.boxes.empty());
    }
    AudioSetOutputOff(false);
}

TEST_F(Music, StreamsOpenFromMemory)
{
    MCSounds music;
    std::vector<char> bytes = ReadBytes(tracks.flac);
    uint32_t size = static_cast<uint32_t>(bytes.size());
    uint32_t handle = BASS_StreamCreateFile(true, bytes.data(), 0, size, 0);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(AudioChannelLength(handle), 100 * kBytesPerSecond);
    EXPECT_TRUE(BASS_ChannelPlay(handle, true));
    SleepSeconds(0.1);
    EXPECT_GT(AudioChannelPosition(handle), 0u);
    ASSERT_TRUE(BASS_Free());

    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_StreamCreateFile(true, bytes.data(), 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorParameter);
}

TEST_F(Music, LayerRefusesWhatItCannotDo)
{
    MCSounds music;
    EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorAlreadyInitialised);
    ASSERT_TRUE(music.LoadStream(tracks.ogg.c_str()));
    uint32_t channel = music.Channel();

    EXPECT_EQ(BASS_ChannelSeconds2Bytes(channel, 1.0f), kBytesPerSecond);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(channel, 0.5f / 44100), 0u);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(channel, -1.0f), kNoValue);
    EXPECT_EQ(BASS_ChannelSeconds2Bytes(channel, NAN), kNoValue);
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorParameter);
    EXPECT_FALSE(BASS_ChannelSetPosition(channel, 100 * kBytesPerSecond + 4));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorPosition);
    EXPECT_TRUE(BASS_ChannelSetPosition(channel, 4001));
    EXPECT_EQ(AudioChannelPosition(channel), 4000u);
    EXPECT_FALSE(BASS_ChannelPlay(channel + 1, true));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorHandle);

    ASSERT_TRUE(BASS_Free());
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorNotInitialised);
    EXPECT_FALSE(BASS_ChannelPlay(channel, true));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorNotInitialised);
    EXPECT_FALSE(BASS_Init(2, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorDevice);
    EXPECT_FALSE(BASS_Init(0, 400000, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorOutputFormat);
    EXPECT_EQ(AudioChannelPosition(channel), kNoValue);
}

TEST(MusicFormat, IsToldByTheFirstBytes)
{
    auto detect = [](const std::string& head) {
        return DetectMusicFormat(reinterpret_cast<const uint8_t*>(head.data()), head.size());
    };
    using namespace std::string_literals;
    EXPECT_EQ(detect("RIFF\x24\x08\0\0WAVEfmt "s), MusicFormat::Wav);
    EXPECT_EQ(detect("FORM\0\0\0\0AIFF"s), MusicFormat::Unknown);
    EXPECT_EQ(detect("RIFF\x24\x08\0\0AVI "s), MusicFormat::Unknown);
    EXPECT_EQ(detect("OggS"s + std::string(24, '\0') + "\x01vorbis"), MusicFormat::Ogg);
    EXPECT_EQ(detect("OggS"s + std::string(24, '\0') + "OpusHead"), MusicFormat::Opus);
    EXPECT_EQ(detect("fLaC\0\0\0\x22"s), MusicFormat::Flac);
    EXPECT_EQ(detect("ID3\x04\0"s), MusicFormat::Mp3);
    EXPECT_EQ(detect("\xFF\xFB\x90\x64"s), MusicFormat::Mp3);
    EXPECT_EQ(detect("\xFF\xFB\xF0\x64"s), MusicFormat::Unknown); // bit rate index 15
    EXPECT_EQ(detect("\xFF\xE9\x90\x64"s), MusicFormat::Unknown); // reserved layer
    EXPECT_EQ(detect("\xFF\xF3\x9C\x64"s), MusicFormat::Unknown); // reserved sample rate
    EXPECT_EQ(detect("Ogg"), MusicFormat::Unknown);
    EXPECT_EQ(detect(""), MusicFormat::Unknown);
    EXPECT_EQ(detect("hello world\n"), MusicFormat::Unknown);
}

TEST(MusicFormat, WavChunkSizesShrinkToWhatTheFileHolds)
{
    using namespace std::string_literals;
    std::string wav = "RIFF\xff\xff\xff\x7fWAVEfmt \x10\0\0\0"s + std::string(16, '\x01') +
                      "data\xf0\xff\xff\xe3"s + std::string(10, '\0');
    std::vector<uint8_t> bytes(wav.begin(), wav.end());
    ClampWavChunkSizes(bytes.data(), bytes.size());
    auto sizeAt = [&](size_t at) {
        return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (uint32_t(bytes[at + 3]) << 24);
    };
    EXPECT_EQ(sizeAt(4), bytes.size() - 8);
    EXPECT_EQ(sizeAt(16), 16u); // fits: untouched
    EXPECT_EQ(sizeAt(40), 10u);

    // 8000 Hz, 10 bytes of data: at most 20 samples, 111 frames at 44.1 kHz.
    bytes[24] = 0x40;
    bytes[25] = 0x1f;
    bytes[26] = bytes[27] = 0;
    EXPECT_EQ(WavDecodedSizeBound(bytes.data(), bytes.size(), 44100), (20u * 44100 / 8000 + 1) * 4);

    std::vector<uint8_t> notWav = {'O', 'g', 'g', 'S', 0xff, 0xff, 0xff, 0xff};
    ClampWavChunkSizes(notWav.data(), notWav.size());
    EXPECT_EQ(notWav[4], 0xff);
}

// Inputs that once crashed or starved the decoders behind the layer.
TEST_F(Music, FilesThatTripTheDecodersAreRefused)
{
    MCSounds music;
    const std::string corpus = DEMO_SOURCE_DIR "/fuzz/corpus/music/";
    for (const char* name : {"flac_frames_fewer_channels.flac", "flac_empty_tag_comment.flac",
                             "flac_two_stream_infos.flac"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(music.LoadStream((corpus + name).c_str()));
        EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorFileFormat);
    }
    // A 100 Hz WAV of 8 MB would decode to 14 GB at the device rate.
    fs::path slow = tracks.dir / "slow.wav";
    ASSERT_TRUE(WriteTone(slow, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 40000, 100));
    EXPECT_FALSE(music.LoadStream(slow.c_str()));
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioErrorMemory);
    EXPECT_EQ(Shown().back(), "Error in MCSounds::LoadStream: There is insufficent memory.");

    // A 40-byte header claiming nearly 4 GB of samples opens with what is there.
    ASSERT_TRUE(music.LoadStream((corpus + "wav_data_claims_4gb.wav").c_str()));
    double frames = static_cast<double>(AudioChannelLength(music.Channel()) / 4);
    EXPECT_NEAR(frames, 400.0 * 44100 / 8000, 4);
}
