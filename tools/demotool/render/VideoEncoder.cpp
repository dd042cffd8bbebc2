#include "tools/demotool/render/VideoEncoder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

std::vector<char*> ArgumentPointers(const std::vector<std::string>& arguments)
{
    std::vector<char*> pointers;
    for (const std::string& argument : arguments)
        pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

bool WaitFor(pid_t child, const std::string& name, std::string& error)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            error = name + ": " + std::strerror(errno);
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    error = name + " failed (see its messages above)";
    return false;
}

std::string Number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

struct QualityPreset {
    VideoQuality quality;
    const char* name;
    std::vector<std::string> encoding; // ffmpeg's output options for the pictures
};

// The rasteriser and the encoder share the machine: draft's superfast costs
// about a quarter of a frame's drawing and keeps the static readable. High
// pays for the static, which is hard to compress: medium at CRF 14 gains 6 dB
// over draft; slower presets gained nothing, lower CRFs little for their size.
// The master is H.264 in RGB at QP 0: lossless, in the same MP4 as the others
// so that pieces join the same way; ultrafast encodes as fast as draft for a
// sixth more bytes than veryfast, which halved the render's speed.
const QualityPreset kPresets[] = {
    {VideoQuality::Draft, "draft", {"-c:v", "libx264", "-preset", "superfast", "-crf", "23", "-pix_fmt", "yuv420p"}},
    {VideoQuality::High, "high", {"-c:v", "libx264", "-preset", "medium", "-crf", "14", "-pix_fmt", "yuv420p"}},
    {VideoQuality::Master, "master", {"-c:v", "libx264rgb", "-preset", "ultrafast", "-qp", "0", "-pix_fmt", "rgb24"}},
};

const QualityPreset& PresetOf(VideoQuality quality)
{
    for (const QualityPreset& preset : kPresets)
        if (preset.quality == quality)
            return preset;
    return kPresets[0];
}

} // namespace

const char* QualityName(VideoQuality quality)
{
    return PresetOf(quality).name;
}

bool ParseQuality(const std::string& name, VideoQuality& quality)
{
    for (const QualityPreset& preset : kPresets) {
        if (name == preset.name) {
            quality = preset.quality;
            return true;
        }
    }
    return false;
}

std::string QualityTag(VideoQuality quality)
{
    return std::string("demotool quality ") + QualityName(quality);
}

std::string FindProgram(const char* name)
{
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find(':', start);
        if (end == std::string::npos)
            end = rest.size();
        const std::string dir = end > start ? rest.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        struct stat info{};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

std::string FindFfmpeg()
{
    return FindProgram("ffmpeg");
}

bool ReadProgram(const std::vector<std::string>& arguments, std::string& output, std::string& error)
{
    int fds[2];
    if (pipe(fds) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv = ArgumentPointers(arguments);
    pid_t child = -1;
    const int result = posix_spawn(&child, arguments[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (result == 0) {
        char chunk[4096];
        ssize_t got = 0;
        while ((got = read(fds[0], chunk, sizeof chunk)) > 0 || (got < 0 && errno == EINTR))
            if (got > 0)
                output.append(chunk, size_t(got));
    }
    close(fds[0]);
    if (result != 0) {
        error = "cannot start " + arguments[0] + ": " + std::strerror(result);
        return false;
    }
    return WaitFor(child, arguments[0], error);
}

bool RunProgram(const std::vector<std::string>& arguments, std::string& error)
{
    std::vector<char*> argv = ArgumentPointers(arguments);
    pid_t child = -1;
    const int result = posix_spawn(&child, arguments[0].c_str(), nullptr, nullptr, argv.data(), environ);
    if (result != 0) {
        error = "cannot start " + arguments[0] + ": " + std::strerror(result);
        return false;
    }
    return WaitFor(child, arguments[0], error);
}

VideoEncoder::VideoEncoder(const VideoSettings& videoSettings)
    : settings(videoSettings), picturePath(videoSettings.outputPath + ".pictures.mp4")
{
}

VideoEncoder::~VideoEncoder()
{
    std::string ignored;
    Close(ignored);
    unlink(picturePath.c_str());
}

bool VideoEncoder::Start(std::string& error)
{
    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    std::vector<std::string> arguments{
        settings.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size, "-framerate", std::to_string(settings.framesPerSecond),
        "-i", "pipe:0"};
    const std::vector<std::string>& encoding = PresetOf(settings.quality).encoding;
    arguments.insert(arguments.end(), encoding.begin(), encoding.end());
    arguments.insert(arguments.end(), {"-metadata", "comment=" + QualityTag(settings.quality), "-f", "mp4",
                                       picturePath});
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    std::vector<char*> argv = ArgumentPointers(arguments);
    const int result = posix_spawn(&child, settings.ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (result != 0) {
        close(fds[1]);
        child = -1;
        error = "cannot start " + settings.ffmpeg + ": " + std::strerror(result);
        return false;
    }
    pipeFd = fds[1];
    return true;
}

bool VideoEncoder::WriteFrame(const RgbFrame& frame, std::string& error)
{
    const uint8_t* data = frame.pixels.data();
    size_t left = frame.pixels.size();
    while (left > 0) {
        const ssize_t written = write(pipeFd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno == EPIPE ? "ffmpeg stopped taking frames (see its messages above)"
                                   : std::string("writing to ffmpeg: ") + std::strerror(errno);
            return false;
        }
        data += written;
        left -= size_t(written);
    }
    return true;
}

bool VideoEncoder::Close(std::string& error)
{
    if (pipeFd >= 0) {
        close(pipeFd);
        pipeFd = -1;
    }
    if (child < 0)
        return true;
    const pid_t waited = child;
    child = -1;
    return WaitFor(waited, "ffmpeg", error);
}

bool VideoEncoder::Mux(const std::string& musicPath, uint32_t musicFromMs, double delayMs, double durationSeconds,
                       std::string& error)
{
    if (musicPath.empty()) {
        if (std::rename(picturePath.c_str(), settings.outputPath.c_str()) == 0)
            return true;
        error = "cannot write " + settings.outputPath + ": " + std::strerror(errno);
        return false;
    }
    return MuxPictures(settings.ffmpeg, {"-i", picturePath}, MusicTrack{musicPath, musicFromMs, delayMs},
                       settings.quality, durationSeconds, settings.outputPath, error);
}

bool MuxPictures(const std::string& ffmpeg, const std::vector<std::string>& pictureInput, const MusicTrack& music,
                 VideoQuality quality, double durationSeconds, const std::string& outputPath, std::string& error)
{
    std::vector<std::string> arguments{ffmpeg, "-hide_banner", "-loglevel", "error", "-nostdin", "-y"};
    arguments.insert(arguments.end(), pictureInput.begin(), pictureInput.end());
    if (!music.path.empty())
        arguments.insert(arguments.end(), {"-i", music.path});
    arguments.insert(arguments.end(), {"-map", "0:v", "-c:v", "copy"});
    if (!music.path.empty()) {
        // The music is cut at the render's start time and delayed by the
        // disclaimer sequence, so that sound and picture line up to the sample.
        const std::string audio = "[1:a]atrim=start=" + Number(music.fromMs / 1000.0) +
                                  ",asetpts=PTS-STARTPTS,adelay=delays=" + Number(music.delayMs) + ":all=1[music]";
        arguments.insert(arguments.end(),
                         {"-filter_complex", audio, "-map", "[music]", "-c:a", "aac", "-b:a", "192k"});
    }
    arguments.insert(arguments.end(), {"-metadata", "comment=" + QualityTag(quality), "-t", Number(durationSeconds),
                                       "-movflags", "+faststart", outputPath});
    return RunProgram(arguments, error);
}
