#include "tools/demotool/CommandOptions.h"

#include "demo/Timeline.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Digits, optionally a dot and more digits; at least one digit in all.
bool IsDecimal(const std::string& text, bool allowFraction)
{
    size_t digits = 0;
    bool dot = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && allowFraction && !dot) {
            dot = true;
        } else {
            return false;
        }
    }
    return digits > 0 && digits <= 9;
}

} // namespace

bool IsRenderTimeText(const std::string& text)
{
    if (text.size() < 2)
        return false;
    if (text[0] == '=')
        return IsDecimal(text.substr(1), false);
    if (text.back() == 's')
        return IsDecimal(text.substr(0, text.size() - 1), true);
    if (text[0] != '#')
        return false;
    // "#P" or "#P.B" with a fractional beat ("#7.3.75").
    const std::string body = text.substr(1);
    const size_t dot = body.find('.');
    if (dot == std::string::npos)
        return IsDecimal(body, false);
    return IsDecimal(body.substr(0, dot), false) && IsDecimal(body.substr(dot + 1), true);
}

bool SetRenderTime(RenderTime& time, const std::string& option, const char* text, std::string& error)
{
    if (!IsRenderTimeText(text)) {
        error = option + " " + text + ": a time is #P.B, =MS or 12.5s";
        return false;
    }
    time = {option, text, true};
    return true;
}

bool ResolveRenderTime(const RenderTime& time, const Timeline& timeline, uint32_t& milliseconds, std::string& error)
{
    const std::string& text = time.text;
    double ms = 0.0;
    if (text.back() == 's') {
        ms = std::round(std::atof(text.c_str()) * 1000.0);
    } else if (text[0] == '=') {
        ms = std::atof(text.c_str() + 1);
    } else {
        const size_t dot = text.find('.');
        const double beats = dot == std::string::npos ? 0.0 : std::atof(text.c_str() + dot + 1);
        ms = std::atof(text.c_str() + 1) * timeline.MsPerPosition() + beats * timeline.MsPerBeat();
    }
    // The clock's last value stands for "no time" in the timeline.
    if (!(ms < double(Timeline::kNoTime))) {
        error = time.option + " " + text + " lies past the clock's last time " + FormatMs(Timeline::kNoTime - 1);
        return false;
    }
    milliseconds = text.back() == 's' ? uint32_t(ms) : timeline.ParseTime(text);
    return true;
}

std::string FormatMs(uint32_t milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u.%03u", milliseconds / 60000, milliseconds / 1000 % 60,
                  milliseconds % 1000);
    return text;
}

bool WalkArguments(int argc, char** argv, std::initializer_list<const char*> flags, const TakeArgument& take,
                   std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        bool ok = false;
        if (name.rfind("--", 0) != 0)
            ok = take("", argv[i], error);
        else if (std::find(flags.begin(), flags.end(), name) != flags.end())
            ok = take(name, nullptr, error);
        else if (i + 1 < argc)
            ok = take(name, argv[++i], error);
        else
            error = name + " needs a value";
        if (!ok)
            return false;
    }
    return true;
}

bool ParseInt(const char* text, int32_t low, int32_t high, int32_t& value)
{
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = int32_t(parsed);
    return true;
}

bool ParseSize(const char* text, int32_t& width, int32_t& height)
{
    const char* x = std::strchr(text, 'x');
    if (!x)
        return false;
    const std::string w(text, x);
    return ParseInt(w.c_str(), 1, 1 << 16, width) && ParseInt(x + 1, 1, 1 << 16, height);
}
