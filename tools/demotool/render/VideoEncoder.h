#pragma once

#include "offline/FrameWriter.h"

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// The path of a program on PATH, empty when there is none.
std::string FindProgram(const char* name);
// The path of an ffmpeg on PATH, empty when there is none.
std::string FindFfmpeg();

// How a video is encoded: draft for a quick look, high to watch, master
// lossless (the drawn frames exactly) to keep or to upload where it is
// encoded again.
enum class VideoQuality { Draft, High, Master };

// The preset's name as --quality takes it.
const char* QualityName(VideoQuality quality);
// False when the name is no preset.
bool ParseQuality(const std::string& name, VideoQuality& quality);
// The tag that a video carries for its preset, so that join can tell pieces.
std::string QualityTag(VideoQuality quality);

struct VideoSettings {
    std::string ffmpeg;
    std::string outputPath;
    int32_t width = 0;
    int32_t height = 0;
    int32_t framesPerSecond = 60;
    VideoQuality quality = VideoQuality::Draft;
};

// Frames piped to ffmpeg as raw RGB and encoded to H.264 (yuv420p, or RGB for
// the master) in a picture-only file beside the output; Mux then adds the
// music. Runs on the frame writer's thread.
class VideoEncoder final : public FrameSink {
public:
    explicit VideoEncoder(const VideoSettings& settings);
    ~VideoEncoder() override;

    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    bool Start(std::string& error);
    bool WriteFrame(const RgbFrame& frame, std::string& error) override;
    // Closes the pipe and waits for ffmpeg.
    bool Close(std::string& error);

    // Writes the output: the pictures with the music from musicFromMs,
    // starting after delayMs of picture, cut to the picture's length. Without
    // music the pictures alone become the output.
    bool Mux(const std::string& musicPath, uint32_t musicFromMs, double delayMs, double durationSeconds,
             std::string& error);

    const std::string& PicturePath() const { return picturePath; }

private:
    VideoSettings settings;
    std::string picturePath;
    pid_t child = -1;
    int pipeFd = -1;
};

// Runs a program with these arguments and waits; true on exit status 0.
bool RunProgram(const std::vector<std::string>& arguments, std::string& error);
// The same, with what the program writes on standard output kept.
bool ReadProgram(const std::vector<std::string>& arguments, std::string& output, std::string& error);

struct MusicTrack {
    std::string path; // empty for none
    uint32_t fromMs = 0;
    double delayMs = 0.0;
};

// Writes outputPath: the pictures that ffmpeg reads with `pictureInput` (its
// input options), copied as they are and tagged with their preset, with the
// music cut at its start time and delayed, all cut to the pictures' length.
bool MuxPictures(const std::string& ffmpeg, const std::vector<std::string>& pictureInput, const MusicTrack& music,
                 VideoQuality quality, double durationSeconds, const std::string& outputPath, std::string& error);
