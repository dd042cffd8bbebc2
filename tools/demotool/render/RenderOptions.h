#pragma once

#include "app/GLWindow.h"
#include "tools/demotool/CommandOptions.h"
#include "tools/demotool/render/VideoEncoder.h"

#include <cstdint>
#include <string>
#include <vector>

// The most pieces a range is cut into with --piece and --pieces.
constexpr int32_t kMaxPieces = 1000;

enum class RenderMode { None, Video, Frames, Picture, Golden };

struct RenderOptions {
    RenderMode mode = RenderMode::None;
    std::string output; // the file or directory; absolute after PrepareOutput
    RenderTime start; // --goto
    RenderTime from;
    RenderTime to;
    RenderTime at;
    int32_t fps = 60;
    int32_t width = 800;
    int32_t height = 600;
    int32_t jobs = 1;
    int32_t piece = 0; // K of render's --piece K/N, from 1; 0 renders the whole range
    int32_t pieceCount = 0; // N of --piece K/N
    int32_t joinCount = 0; // join's --pieces N
    int32_t samples = GLWindow::kPlayerSamples;
    VideoQuality quality = VideoQuality::Draft;
    bool qualityGiven = false;
    bool withIntro = false;
    std::string dir;
    std::string ffmpeg; // found by PrepareOutput for a video
};

// False with a reason for anything unknown, missing or out of range.
// Arguments that are no option go to `others`, refused when it is null.
bool ParseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error,
                        std::vector<std::string>* others = nullptr);
// Makes the output path absolute (the show is read from --dir), makes
// missing directories on the way, checks that the output can be written and, for a
// video, that ffmpeg is there. False with a reason.
bool PrepareOutput(RenderOptions& options, std::string& error);
// True for 4:3 and 16:9 sizes that an encoder takes (even sides, 64 to 4096).
bool IsRenderSize(int32_t width, int32_t height);
