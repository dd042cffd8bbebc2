#include "tools/demotool/render/SplitRender.h"

#include "demo/Timeline.h"
#include "offline/RenderPieces.h"
#include "tools/demotool/render/RenderSetup.h"
#include "tools/demotool/render/VideoEncoder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace {

// The range of the whole render, as the script has it.
struct WholeRange {
    RenderRange range;
    uint32_t showEnd = Timeline::kNoTime;
    std::string musicPath;
};

bool ReadWholeRange(const RenderOptions& options, WholeRange& whole, std::string& error)
{
    OfflineShow show(ShowSettingsOf(options), nullptr);
    if (!show.Open(error) || !ResolveRange(options, show, whole.range, error))
        return false;
    whole.showEnd = show.GetTimeline().EndTime();
    whole.musicPath = show.MusicPath();
    return true;
}

std::string Ms(uint32_t milliseconds)
{
    return "=" + std::to_string(milliseconds);
}

std::string ThisProgram()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, size_t(length)) : std::string();
}

// A render of one piece, its progress line kept off the terminal.
pid_t StartPiece(const std::string& program, const RenderOptions& options, const RenderRange& piece,
                 const std::string& output, std::string& error)
{
    const std::vector<std::string> arguments{
        program, "render", "--video", output, "--goto", Ms(piece.start), "--from", Ms(piece.from), "--to",
        Ms(piece.to), "--fps", std::to_string(options.fps),
        "--size", std::to_string(options.width) + "x" + std::to_string(options.height),
        "--samples", std::to_string(options.samples), "--quality", QualityName(options.quality)};
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    const int result = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        error = "cannot start " + program + ": " + std::strerror(result);
        return -1;
    }
    return child;
}

// The preset that a piece's tag names, "unknown" without one.
std::string QualityOfTag(const std::string& tag)
{
    for (VideoQuality quality : {VideoQuality::Draft, VideoQuality::High, VideoQuality::Master})
        if (tag == QualityTag(quality))
            return QualityName(quality);
    return "unknown";
}

// The pieces must be of the range's size, rate and preset and hold its frames
// all: ffmpeg would join others into a short or mixed video without a word.
bool CheckPieces(const RenderOptions& options, int64_t frames, const std::vector<std::string>& pieces,
                 std::string& error)
{
    const std::string ffprobe = FindProgram("ffprobe");
    if (ffprobe.empty()) {
        error = "ffprobe (part of ffmpeg) is not on PATH: the pieces cannot be checked before joining";
        return false;
    }
    const std::string expected = std::to_string(options.width) + "x" + std::to_string(options.height) + " at " +
                                 std::to_string(options.fps) + "/1 frames per second in " +
                                 QualityName(options.quality) + " quality";
    int64_t total = 0;
    for (const std::string& piece : pieces) {
        std::string out;
        if (!ReadProgram({ffprobe, "-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                          "stream=width,height,r_frame_rate,nb_read_packets:format_tags=comment", "-of", "csv=p=0",
                          piece},
                         out, error)) {
            error = "cannot read the piece " + piece + ": " + error;
            return false;
        }
        int width = 0, height = 0, rate = 0, base = 0;
        long long count = 0;
        int read = 0;
        if (std::sscanf(out.c_str(), "%d,%d,%d/%d,%lld\n%n", &width, &height, &rate, &base, &count, &read) != 5) {
            error = "the piece " + piece + " holds no video";
            return false;
        }
        std::string tag = out.substr(size_t(read));
        tag = tag.substr(0, tag.find('\n'));
        const std::string found = std::to_string(width) + "x" + std::to_string(height) + " at " +
                                  std::to_string(rate) + "/" + std::to_string(base) + " frames per second in " +
                                  QualityOfTag(tag) + " quality";
        if (found != expected) {
            error = "the piece " + piece + " is " + found + ", the range " + expected;
            return false;
        }
        total += count;
        if (total > frames) {
            error = "the pieces up to " + piece + " hold " + std::to_string(total) + " frames, more than the " +
                    std::to_string(frames) + " of the range";
            return false;
        }
    }
    if (total < frames) {
        error = "the pieces up to " + pieces.back() + " hold " + std::to_string(total) + " frames, fewer than the " +
                std::to_string(frames) + " of the range";
        return false;
    }
    return true;
}

bool WaitForPiece(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A line of ffmpeg's concat list: the path quoted, its quotes escaped.
std::string ConcatLine(const std::string& path)
{
    std::string line = "file '";
    for (char c : path)
        line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return line + "'\n";
}

// The pictures of each piece alone: the concat demuxer would otherwise
// shift them by the encoder delay of the pieces' own music.
bool PicturesOnly(const std::string& ffmpeg, const std::vector<std::string>& pieces, const std::string& stem,
                  std::vector<std::string>& pictures, std::string& error)
{
    for (const std::string& piece : pieces) {
        pictures.push_back(stem + ".join-" + std::to_string(pictures.size()) + ".mp4");
        if (!RunProgram({ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", piece, "-map", "0:v",
                         "-c", "copy", pictures.back()},
                        error))
            return false;
    }
    return true;
}

bool WriteConcatList(const std::string& list, const std::vector<std::string>& files, std::string& error)
{
    std::ofstream file(list);
    for (const std::string& path : files)
        file << ConcatLine(path);
    if (file)
        return true;
    error = "cannot write " + list;
    return false;
}

bool Join(const RenderOptions& options, const WholeRange& whole, const std::vector<std::string>& pieces,
          std::string& error)
{
    const std::string list = options.output + ".pieces.txt";
    std::vector<std::string> pictures;
    const int64_t frames = FrameCount(whole.range, options.fps, whole.showEnd);
    const MusicTrack music{whole.musicPath, FirstFrameTime(whole.range, options.fps), 0.0};
    const bool joined = CheckPieces(options, frames, pieces, error) &&
                        PicturesOnly(options.ffmpeg, pieces, options.output, pictures, error) &&
                        WriteConcatList(list, pictures, error) &&
                        MuxPictures(options.ffmpeg, {"-f", "concat", "-safe", "0", "-i", list}, music,
                                    options.quality, double(frames) / options.fps, options.output, error);
    std::remove(list.c_str());
    for (const std::string& path : pictures)
        std::remove(path.c_str());
    if (joined)
        std::printf("%lld frames in %zu pieces joined into %s\n", static_cast<long long>(frames), pieces.size(),
                    options.output.c_str());
    return joined;
}

} // namespace

bool RenderVideoInPieces(const RenderOptions& options, std::string& error)
{
    if (options.withIntro) {
        error = "--jobs renders the show alone: leave out --with-intro";
        return false;
    }
    WholeRange whole;
    if (!ReadWholeRange(options, whole, error))
        return false;
    const std::string program = ThisProgram();
    const std::vector<RenderRange> ranges = SplitRange(whole.range, options.fps, whole.showEnd, options.jobs);
    std::vector<std::string> pieces;
    std::vector<pid_t> children;
    for (const RenderRange& range : ranges) {
        pieces.push_back(options.output + ".piece-" + std::to_string(pieces.size()) + ".mp4");
        const pid_t child = StartPiece(program, options, range, pieces.back(), error);
        if (child < 0)
            break;
        children.push_back(child);
    }
    bool rendered = children.size() == ranges.size();
    // A piece that cannot start dooms the render: the others stop at once.
    if (!rendered)
        for (pid_t child : children)
            kill(child, SIGTERM);
    for (pid_t child : children)
        rendered = WaitForPiece(child) && rendered;
    if (!rendered) {
        if (error.empty())
            error = "a piece could not be rendered (see the messages above)";
        // A stopped piece leaves its encoder's file behind as well.
        for (const std::string& piece : pieces) {
            std::remove(piece.c_str());
            std::remove((piece + ".pictures.mp4").c_str());
        }
        return false;
    }
    // The pieces are the costly part: a failed join (a full disk, say)
    // leaves them for 'demotool join'.
    if (!Join(options, whole, pieces, error)) {
        error += "; the rendered pieces are kept for 'demotool join': " + pieces.front() +
                 (pieces.size() > 1 ? " to " + pieces.back() : "");
        return false;
    }
    for (const std::string& piece : pieces)
        std::remove(piece.c_str());
    return true;
}

bool NarrowToPiece(RenderOptions& options, bool& empty, std::string& error)
{
    WholeRange whole;
    if (!ReadWholeRange(options, whole, error))
        return false;
    std::vector<int32_t> places;
    const std::vector<RenderRange> ranges =
        SplitRange(whole.range, options.fps, whole.showEnd, options.pieceCount, &places);
    empty = true;
    for (size_t i = 0; i < ranges.size(); ++i)
        if (places[i] == options.piece - 1) {
            options.from = RenderTime{"--from", Ms(ranges[i].from), true};
            options.to = RenderTime{"--to", Ms(ranges[i].to), true};
            empty = false;
        }
    return true;
}

bool JoinPieces(const RenderOptions& options, const std::vector<std::string>& pieces, std::string& error)
{
    if (options.withIntro) {
        error = "pieces hold the show alone: leave out --with-intro";
        return false;
    }
    WholeRange whole;
    if (!ReadWholeRange(options, whole, error))
        return false;
    std::vector<std::string> files = pieces;
    if (options.joinCount > 0) {
        std::vector<int32_t> places;
        SplitRange(whole.range, options.fps, whole.showEnd, options.joinCount, &places);
        files.clear();
        for (int32_t place : places) {
            std::string name = pieces.front();
            for (size_t at = name.find("{}"); at != std::string::npos; at = name.find("{}", at))
                name.replace(at, 2, std::to_string(place + 1));
            files.push_back(name);
        }
    }
    for (const std::string& file : files)
        if (!std::filesystem::is_regular_file(file)) {
            error = "no piece " + file;
            return false;
        }
    return Join(options, whole, files, error);
}
