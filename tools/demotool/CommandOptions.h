#pragma once

#include <cstdint>
#include <string>

class Timeline;

// A time given on the command line, in the script's own forms ("#P.B" in
// positions and beats, "=ms") or in seconds ("12.5s").
struct RenderTime {
    std::string text;
    bool given = false;
};

// True when text has one of the accepted forms; the check comes before the
// show is read, so a typo costs no rendering.
bool IsRenderTimeText(const std::string& text);
// Takes text as the value of a time option; false, with a message naming the
// option and the accepted forms, when it has none of them.
bool SetRenderTime(RenderTime& time, const std::string& option, const char* text, std::string& error);
// Milliseconds on the timeline clock; positions and beats use the tempo of
// the loaded script.
uint32_t ResolveRenderTime(const std::string& text, const Timeline& timeline);
// "2:05.250" style, for messages.
std::string FormatMs(uint32_t milliseconds);

// A whole number from low to high, nothing else in text.
bool ParseInt(const char* text, int32_t low, int32_t high, int32_t& value);
// "WxH" with whole numbers from 1 to 65536.
bool ParseSize(const char* text, int32_t& width, int32_t& height);
