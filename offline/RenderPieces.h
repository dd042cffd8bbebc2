#pragma once

#include <cstdint>
#include <vector>

// What a render plays: the timeline starts at `start` (the script's start,
// or a "Goto" time) and frames lie every 1/fps second from there. The first
// frame written is the first at or after `from`; frames before `to` follow,
// up to and including the one that reaches the show's end.
struct RenderRange {
    uint32_t start = 0;
    uint32_t from = 0;
    uint32_t to = 0;
};

// The time of the first frame that a render of the range writes.
uint32_t FirstFrameTime(const RenderRange& range, int32_t fps);
// How many frames a render of the range writes; showEnd is the script's end.
int64_t FrameCount(const RenderRange& range, int32_t fps, uint32_t showEnd);
// Cuts the range at frame times into `count` consecutive pieces of as many
// frames as can be, each rendered on its own from the same start: their
// frames, one after the other, are the frames of the whole range. No piece
// but the first starts at or after showEnd, so each is a range a render takes.
// With fewer frames than count, some of the count places hold no piece:
// `places`, when given, receives each piece's place, from 0.
std::vector<RenderRange> SplitRange(const RenderRange& range, int32_t fps, uint32_t showEnd, int32_t count,
                                    std::vector<int32_t>* places = nullptr);
