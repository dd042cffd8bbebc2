// assetgen OUTDIR: writes the show's script, pictures, heart mesh and music
// under OUTDIR, the same bytes on every run.
#include "FileOutput.h"
#include "HeartSculpture.h"
#include "OggEncoder.h"
#include "Pictures.h"
#include "ShowScript.h"
#include "Song.h"
#include "Synth.h"
#include "ThreeDsWriter.h"
#include "resources/PngEncoder.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Vorbis quality 0.4 (about 128 kbit/s) keeps the track near 2.5 MB.
constexpr float kMusicQuality = 0.4f;

bool WritePictures(const std::string& directory)
{
    const std::vector<NamedPicture> pictures = MakePictures();
    if (pictures.empty()) {
        return false;
    }
    for (const NamedPicture& picture : pictures) {
        std::vector<uint8_t> png;
        std::string error;
        if (!EncodePngRgba(picture.canvas.PixelWidth(), picture.canvas.PixelHeight(), picture.canvas.ToRgba8(), png,
                           error)) {
            std::fprintf(stderr, "assetgen: %s: %s\n", picture.fileName.c_str(), error.c_str());
            return false;
        }
        if (!WriteFileBytes(directory + "/" + picture.fileName, png)) {
            return false;
        }
    }
    return true;
}

bool WriteMesh(const std::string& directory)
{
    std::vector<uint8_t> bytes;
    return EncodeThreeDs(MakeHeartSculpture(), bytes) && WriteFileBytes(directory + "/cordel.3ds", bytes);
}

bool WriteMusic(const std::string& directory)
{
    std::vector<uint8_t> bytes;
    return EncodeOggVorbis(RenderSong(), kSampleRate, kMusicQuality, bytes) &&
           WriteFileBytes(directory + "/" + kMusicFileName, bytes);
}

void PrintUsage(std::FILE* to)
{
    std::fprintf(to,
                 "usage: assetgen OUTDIR\n"
                 "Writes OUTDIR/script.txt, OUTDIR/png/*.png, OUTDIR/3ds/cordel.3ds and\n"
                 "OUTDIR/music/%s. The show reads them from data/.\n",
                 kMusicFileName);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '\0') {
        PrintUsage(stderr);
        return 2;
    }
    const std::string root = argv[1];
    const bool ok = MakeDirectories(root + "/png") && MakeDirectories(root + "/3ds") &&
                    MakeDirectories(root + "/music") && WriteFileText(root + "/script.txt", ShowScript()) &&
                    WritePictures(root + "/png") && WriteMesh(root + "/3ds") && WriteMusic(root + "/music");
    if (!ok) {
        std::fprintf(stderr, "assetgen: generation failed\n");
        return 1;
    }
    return 0;
}
