#include "tools/demotool/render/RenderOptions.h"

#include "tools/demotool/render/VideoEncoder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

bool SetMode(RenderOptions& options, RenderMode mode, const char* path, std::string& error)
{
    if (options.mode != RenderMode::None && options.mode != mode) {
        error = "give one output: --video, --frames, --png or --golden";
        return false;
    }
    options.mode = mode;
    options.output = path;
    if (options.output.empty()) {
        error = "an output path is empty";
        return false;
    }
    return true;
}

// Whether a file could be made or replaced at path, without leaving one.
bool CanWriteFile(const std::string& path, std::string& error)
{
    struct stat info{};
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = "cannot write " + path + ": it is a directory";
            return false;
        }
        if (access(path.c_str(), W_OK) != 0) {
            error = "cannot write " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    const std::string dir = std::filesystem::path(path).parent_path().string();
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    if (access(dir.c_str(), W_OK) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool PrepareDirectory(const std::string& path, std::string& error)
{
    std::error_code code;
    std::filesystem::create_directories(path, code);
    struct stat info{};
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = "cannot make the directory " + path + (code ? ": " + code.message() : "");
        return false;
    }
    if (access(path.c_str(), W_OK) != 0) {
        error = "cannot write into " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// "K/N", K from 1 to N.
bool ParsePiece(const std::string& text, int32_t& piece, int32_t& count)
{
    const size_t slash = text.find('/');
    return slash != std::string::npos && ParseInt(text.substr(slash + 1).c_str(), 1, kMaxPieces, count) &&
           ParseInt(text.substr(0, slash).c_str(), 1, count, piece);
}

bool TakeRenderOption(RenderOptions& options, const std::string& name, const char* value, std::string& error)
{
    bool ok = true;
    if (name == "--with-intro") options.withIntro = true;
    else if (name == "--video") ok = SetMode(options, RenderMode::Video, value, error);
    else if (name == "--frames") ok = SetMode(options, RenderMode::Frames, value, error);
    else if (name == "--png") ok = SetMode(options, RenderMode::Picture, value, error);
    else if (name == "--golden") ok = SetMode(options, RenderMode::Golden, value, error);
    else if (name == "--goto") ok = SetRenderTime(options.start, name, value, error);
    else if (name == "--from") ok = SetRenderTime(options.from, name, value, error);
    else if (name == "--to") ok = SetRenderTime(options.to, name, value, error);
    else if (name == "--at") ok = SetRenderTime(options.at, name, value, error);
    else if (name == "--dir") options.dir = value;
    else if (name == "--fps") {
        ok = ParseInt(value, 1, 240, options.fps);
        if (!ok)
            error = std::string("--fps ") + value + ": a whole number from 1 to 240";
    } else if (name == "--jobs") {
        ok = ParseInt(value, 1, 64, options.jobs);
        if (!ok)
            error = std::string("--jobs ") + value + ": a whole number from 1 to 64";
    } else if (name == "--piece") {
        ok = ParsePiece(value, options.piece, options.pieceCount);
        if (!ok)
            error = std::string("--piece ") + value + ": K/N, the K-th of N pieces, K from 1 to N and N up to " +
                    std::to_string(kMaxPieces);
    } else if (name == "--pieces") {
        ok = ParseInt(value, 1, kMaxPieces, options.joinCount);
        if (!ok)
            error = std::string("--pieces ") + value + ": a whole number from 1 to " + std::to_string(kMaxPieces);
    } else if (name == "--samples") {
        // Counts a driver offers: powers of two.
        ok = ParseInt(value, 0, 16, options.samples) && (options.samples & (options.samples - 1)) == 0 &&
             options.samples != 1;
        if (!ok)
            error = std::string("--samples ") + value + ": 0 (none), 2, 4, 8 or 16";
    } else if (name == "--quality") {
        ok = ParseQuality(value, options.quality);
        options.qualityGiven = true;
        if (!ok)
            error = std::string("--quality ") + value + ": draft, high or master";
    } else if (name == "--size") {
        ok = ParseSize(value, options.width, options.height) && IsRenderSize(options.width, options.height);
        if (!ok)
            error = std::string("--size ") + value + ": WxH, 4:3 or 16:9, even sides from 64 to 4096";
    } else {
        error = "unknown option " + name;
        ok = false;
    }
    return ok;
}

} // namespace

bool IsRenderSize(int32_t width, int32_t height)
{
    const bool shape = width * 3 == height * 4 || width * 9 == height * 16;
    return shape && width % 2 == 0 && height % 2 == 0 && width >= 64 && width <= 4096 && height <= 4096;
}

bool ParseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error,
                        std::vector<std::string>* others)
{
    const auto take = [&](const std::string& name, const char* value, std::string& message) {
        if (!name.empty())
            return TakeRenderOption(options, name, value, message);
        if (others)
            others->push_back(value);
        else
            message = std::string("unexpected argument ") + value;
        return others != nullptr;
    };
    if (!WalkArguments(argc, argv, {"--with-intro"}, take, error))
        return false;
    if (options.mode == RenderMode::None) {
        error = "give an output: --video, --frames, --png or --golden";
        return false;
    }
    if ((options.mode == RenderMode::Picture) != options.at.given) {
        error = "--at and --png go together";
        return false;
    }
    if (options.jobs > 1 && options.mode != RenderMode::Video) {
        error = "--jobs splits a video: give --video";
        return false;
    }
    if (options.piece > 0 && options.jobs > 1) {
        error = "--piece renders one piece in this process: leave out --jobs";
        return false;
    }
    if (options.piece > 0 && options.mode != RenderMode::Video && options.mode != RenderMode::Frames) {
        error = "--piece cuts a range: give --video or --frames";
        return false;
    }
    if (options.piece > 0 && options.withIntro) {
        error = "pieces hold the show alone: leave out --with-intro";
        return false;
    }
    if (options.qualityGiven && options.mode != RenderMode::Video) {
        error = "--quality is how a video is encoded: give --video";
        return false;
    }
    if (options.mode == RenderMode::Golden && options.samples != GLWindow::kPlayerSamples) {
        error = "the golden frames are drawn as the player draws them: leave out --samples";
        return false;
    }
    if (options.mode == RenderMode::Picture && options.to.given) {
        error = "--to has no meaning for one picture";
        return false;
    }
    return true;
}

bool PrepareOutput(RenderOptions& options, std::string& error)
{
    options.output = std::filesystem::absolute(options.output).lexically_normal().string();
    switch (options.mode) {
    case RenderMode::Video:
        options.ffmpeg = FindFfmpeg();
        if (options.ffmpeg.empty()) {
            error = "ffmpeg is not on PATH; install it (apt-get install ffmpeg) or render --frames DIR";
            return false;
        }
        return CanWriteFile(options.output, error);
    case RenderMode::Picture:
        return CanWriteFile(options.output, error);
    case RenderMode::Frames:
    case RenderMode::Golden:
        return PrepareDirectory(options.output, error);
    case RenderMode::None:
        break;
    }
    return false;
}
