#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

class Timeline;

// A time given on the command line, in the script's own forms ("#P.B" in
// positions and beats, "=ms") or in seconds ("12.5s").
struct RenderTime {
    std::string option; // "--from", for messages
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
// the loaded script. False, with a message, for a time past the clock's
// 32-bit range, which would otherwise wrap round to an early one.
bool ResolveRenderTime(const RenderTime& time, const Timeline& timeline, uint32_t& milliseconds, std::string& error);
// "2:05.250" style, for messages.
std::string FormatMs(uint32_t milliseconds);

// Takes one argument: an option's name with its value (null for a flag), or
// an empty name with an argument that is no option. False, with error set,
// refuses it.
using TakeArgument = std::function<bool(const std::string& name, const char* value, std::string& error)>;
// Walks argv after argv[0]: "--name" in `flags` alone, any other "--name"
// with the argument after it, anything else as it is. False at the first
// argument refused, or at an option without its value.
bool WalkArguments(int argc, char** argv, std::initializer_list<const char*> flags, const TakeArgument& take,
                   std::string& error);

// A whole number from low to high, nothing else in text.
bool ParseInt(const char* text, int32_t low, int32_t high, int32_t& value);
// "WxH" with whole numbers from 1 to 65536.
bool ParseSize(const char* text, int32_t& width, int32_t& height);
