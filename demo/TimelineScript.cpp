// Reading the timeline script: lines, defines, words, times and commands.
#include "demo/Timeline.h"

#include "demo/CNumbers.h"
#include "demo/ProgressListener.h"
#include "demo/TimelineHost.h"
#include "platform/FileRead.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// A string ends at its first NUL, as the line buffer it came from did.
void CutAtNul(std::string& text)
{
    const size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
}

// Truncated toward zero, keeping the low 32 bits of the whole number.
uint32_t LowBitsOfWholeMs(double ms)
{
    if (!std::isfinite(ms))
        return 0;
    constexpr double kWrap = 4294967296.0;
    double low = std::fmod(std::trunc(ms), kWrap);
    if (low < 0.0)
        low += kWrap;
    return static_cast<uint32_t>(low);
}

bool IsTrimmed(char c) { return c == ' ' || c == '\t' || c == '\n'; }

} // namespace

bool Timeline::Load(const char* path, ImageRegistry* registry)
{
    std::string bytes;
    if (ReadWholeFile(path, bytes) != FileRead::Ok)
        return false;
    return LoadFromMemory(bytes.data(), bytes.size(), registry);
}

bool Timeline::LoadFromMemory(const char* bytes, size_t size, ImageRegistry* registry)
{
    ok = true;
    lineNumber = 1;
    imageRegistry = registry;
    if (!bytes) {
        bytes = "";
        size = 0;
    }

    // The scripts are text-mode files, where Ctrl-Z marks the end of the
    // text: editors of their platform left one after the last line.
    if (const void* end = std::memchr(bytes, 0x1A, size))
        size = static_cast<size_t>(static_cast<const char*>(end) - bytes);

    // Every line break starts another line, so text that ends with one ends
    // with an empty line. CR LF is a line end as in the scripts' text mode.
    size_t position = 0;
    for (;;) {
        const void* found = size > position ? std::memchr(bytes + position, '\n', size - position) : nullptr;
        const size_t lineEnd = found ? static_cast<size_t>(static_cast<const char*>(found) - bytes) : size;
        size_t textEnd = lineEnd;
        if (found && textEnd > position && bytes[textEnd - 1] == '\r')
            --textEnd;
        ReadLine(std::string(bytes + position, textEnd - position));
        ++lineNumber;
        if (progressListener)
            progressListener->Progress();
        if (!found)
            break;
        position = lineEnd + 1;
    }
    return ok;
}

void Timeline::ReadLine(std::string line)
{
    if (line.size() > kMaxLineLength) {
        line.resize(kMaxLineLength);
        CutAtNul(line);
        currentLine = line;
        ReportError("Line too long");
        return;
    }
    CutAtNul(line);
    const bool expanded = ExpandDefines(line);
    currentLine = line;
    if (!expanded) {
        ReportError("Define expansion too long");
        return;
    }
    ParseLine(line, kNoTime);
}

bool Timeline::ExpandDefines(std::string& line) const
{
    for (auto define = defines.begin(); define != defines.end(); ++define) {
        const std::string& name = define->first;
        const size_t length = name.size();
        if (line.size() <= length)
            continue;
        // Jumping from match to match visits the same places as a scan of
        // every position, at a fraction of the cost for the many names
        // that a line does not hold.
        for (size_t i = line.find(name); i != std::string::npos; i = line.find(name, i + 1)) {
            // A longer name that begins with this one and matches here too is
            // replaced on its own turn, so that RUNNING is not read as RUN.
            bool longerMatches = false;
            for (auto longer = std::next(define);
                 longer != defines.end() && longer->first.compare(0, length, name) == 0; ++longer) {
                if (line.compare(i, longer->first.size(), longer->first) == 0) {
                    longerMatches = true;
                    break;
                }
            }
            if (longerMatches)
                continue;
            line.replace(i, length, define->second);
            if (line.size() > kMaxExpandedLength)
                return false;
        }
    }
    return true;
}

void Timeline::Trim(std::string& text)
{
    size_t end = text.size();
    while (end > 0 && IsTrimmed(text[end - 1]))
        --end;
    size_t begin = 0;
    while (begin < end && IsTrimmed(text[begin]))
        ++begin;
    text = text.substr(begin, end - begin);
}

void Timeline::SplitToken(std::string& out, char delimiter, std::string& rest)
{
    const size_t at = rest.find(delimiter);
    if (at == std::string::npos) {
        out = rest;
        rest.clear();
    } else {
        out = rest.substr(0, at);
        rest.erase(0, at + 1);
        Trim(rest);
    }
    Trim(out);
}

uint32_t Timeline::ParseTime(const std::string& text) const
{
    if (text.empty())
        return 0;
    if (text[0] == '=')
        return static_cast<uint32_t>(CAtoi(text.c_str() + 1));
    if (text[0] != '#')
        return 0;
    const std::string body = text.substr(1);
    const size_t dot = body.find('.');
    const int32_t position = CAtoi(body.substr(0, dot).c_str());
    const double beat = dot == std::string::npos ? 0.0 : CAtof(body.c_str() + dot + 1);
    return LowBitsOfWholeMs(position * msPerPosition + beat * msPerBeat);
}

void Timeline::ReportError(const char* message)
{
    ok = false;
    const std::string text = std::string(message) + " on line " + std::to_string(lineNumber) + ":\n" + currentLine;
    host.ReportFault(message, lineNumber, currentLine, text);
}

void Timeline::ParseLine(std::string line, uint32_t time)
{
    // A time in front of a line only sets the time of the rest; another time
    // there replaces it.
    for (;;) {
        if (line.empty())
            return;
        std::string word;
        SplitToken(word, ' ', line);
        if (word == "LoadImage") return CommandLoadImage(line);
        if (word == "Define") return CommandDefine(line);
        if (word == "DefinePattern") return CommandDefinePattern(line);
        if (word == "Set") return CommandSet(line, time, EventKind::Set);
        if (word == "Trig") return CommandSet(line, time, EventKind::Trigger);
        if (word == "Fade") return CommandFade(line, time);
        if (word == "UsePattern") return CommandUsePattern(line, time);
        if (word == "DisablePattern") return CommandDisablePattern(time);
        if (word == "LoadMusic") return CommandLoadMusic(line);
        if (word == "Goto") {
            startTime = ParseTime(line);
            return;
        }
        if (word == "End") {
            endTime = ParseTime(line);
            return;
        }
        if (!word.empty() && (word[0] == '#' || word[0] == '=')) {
            time = ParseTime(word);
            continue;
        }
        if (!word.empty() && word[0] == '/')
            return;
        ReportError("Syntax error");
        return;
    }
}

TimelineEvent* Timeline::AppendEvent(EventKind kind, uint32_t start)
{
    if (eventCount >= kMaxEvents) {
        ReportError("Too many events");
        return nullptr;
    }
    TimelineEvent& event = events[eventCount++];
    event = {};
    event.kind = kind;
    event.start = start;
    event.end = start;
    return &event;
}

void Timeline::CommandLoadImage(std::string& rest)
{
    std::string handle, file, option;
    SplitToken(handle, ' ', rest);
    SplitToken(file, ' ', rest);
    SplitToken(option, ' ', rest);
    if (handle.empty() || file.empty()) {
        ReportError("Missing image handle or filename");
        return;
    }
    const int32_t wrapMode = option == "repeat" ? kWrapRepeat : kWrapClamp;
    host.LoadImage(imageRegistry, handle, defines["_IMG_DIR"] + file, wrapMode);
}

void Timeline::CommandDefine(std::string& rest)
{
    std::string name, value;
    SplitToken(name, '=', rest);
    SplitToken(value, ' ', rest);
    if (name.empty() || value.empty()) {
        ReportError("Invalid define line");
        return;
    }
    // Every line is matched against every name, so their number is bounded.
    if (defines.size() >= kMaxDefines && defines.count(name) == 0) {
        ReportError("Too many defines");
        return;
    }
    defines[name] = value;
}

void Timeline::CommandDefinePattern(std::string& rest)
{
    std::string idWord;
    SplitToken(idWord, ' ', rest);
    const int32_t id = CAtoi(idWord.c_str());
    if (id < 0 || id >= kPatternCount) {
        ReportError("Pattern id out of range");
        return;
    }
    Pattern& pattern = patterns[id];
    pattern = {};
    pattern.length = static_cast<int32_t>(std::min(rest.size(), size_t{Pattern::kMaxSteps}));
    for (int32_t i = 0; i < pattern.length; ++i)
        pattern.steps[i] = rest[i] == '.' ? 0 : rest[i];
}

bool Timeline::ParseSceneIdentifier(std::string& rest, std::string& scene, std::string& parameter)
{
    std::string first;
    SplitToken(parameter, ' ', rest);
    SplitToken(first, '.', parameter);
    SplitToken(scene, '.', parameter);
    return first == "scene" && !scene.empty() && !parameter.empty();
}

void Timeline::ParseTypedValue(TimelineEvent& event, std::string& parameter, const std::string& value)
{
    std::string type;
    SplitToken(type, '.', parameter);
    event.index = CAtoi(parameter.c_str());
    if (parameter.empty()) {
        ReportError("Missing index");
    } else if (type == "lng") {
        event.valueType = ValueType::Lng;
        event.lngValue = CAtol(value.c_str());
    } else if (type == "bool") {
        event.valueType = ValueType::Bool;
        event.boolValue = value == "true" ? 1 : 0;
    } else if (type == "dbl") {
        event.valueType = ValueType::Dbl;
        event.dblValue = CAtof(value.c_str());
    } else {
        ReportError("Invalid parameter");
    }
}

void Timeline::CommandSet(std::string& rest, uint32_t time, EventKind kind)
{
    if (kind == EventKind::Set && static_cast<int32_t>(time) < 0) {
        ReportError("Invalid time");
        return;
    }
    std::string scene, parameter, value;
    if (!ParseSceneIdentifier(rest, scene, parameter)) {
        ReportError("Invalid identifier");
        return;
    }
    SplitToken(value, ' ', rest);
    TimelineEvent* event = AppendEvent(kind, time);
    if (!event)
        return;
    event->effect = CAtoi(scene.c_str());
    ParseTypedValue(*event, parameter, value);
}

void Timeline::CommandFade(std::string& rest, uint32_t time)
{
    std::string parameter, first, scene, keyword, from, to, duration;
    SplitToken(parameter, ' ', rest);
    SplitToken(first, '.', parameter);
    SplitToken(scene, '.', parameter);
    // Only the second word of each pair counts; the first merely has to be there.
    SplitToken(keyword, ' ', rest);
    SplitToken(from, ' ', rest);
    SplitToken(keyword, ' ', rest);
    SplitToken(to, ' ', rest);
    SplitToken(keyword, ' ', rest);
    SplitToken(duration, ' ', rest);

    const char* fault = nullptr;
    if (first.empty() || scene.empty())
        fault = "Missing identifier";
    else if (parameter.empty())
        fault = "Missing parameter";
    else if (from.empty())
        fault = "Missing from attribute";
    else if (to.empty())
        fault = "Missing to attribute";
    else if (duration.empty())
        fault = "Missing time attribute";
    if (fault) {
        ReportError(fault);
        return;
    }

    const uint32_t length = ParseTime(duration);
    TimelineEvent* event = AppendEvent(EventKind::Fade, time);
    if (!event)
        return;
    event->end = time + length;
    event->fadeFrom = CAtof(from.c_str());
    const double toValue = CAtof(to.c_str());
    event->dblValue = length == 0 ? toValue : (toValue - event->fadeFrom) / static_cast<double>(length);
    event->effect = CAtoi(scene.c_str());

    std::string type;
    SplitToken(type, '.', parameter);
    const int32_t index = CAtoi(parameter.c_str());
    event->index = !parameter.empty() && index >= 0 && index <= 9 ? index : 0;
    if (type == "dbl")
        event->valueType = ValueType::Dbl;
    else
        ReportError("Invalid parameter");
}

void Timeline::CommandUsePattern(std::string& rest, uint32_t time)
{
    std::string idWord;
    SplitToken(idWord, ' ', rest);
    const int32_t id = CAtoi(idWord.c_str());
    if (id < 0 || id >= kPatternCount) {
        ReportError("Pattern id out of range");
        return;
    }
    if (TimelineEvent* event = AppendEvent(EventKind::PatternSwitch, time))
        event->lngValue = id;
}

void Timeline::CommandDisablePattern(uint32_t time)
{
    if (TimelineEvent* event = AppendEvent(EventKind::PatternSwitch, time))
        event->lngValue = -1;
}

void Timeline::CommandLoadMusic(std::string& rest)
{
    std::string file, bpm, beats;
    SplitToken(file, ' ', rest);
    SplitToken(bpm, ' ', rest);
    SplitToken(beats, ' ', rest);
    if (file.empty()) {
        ReportError("Missing filename");
        return;
    }
    SetTempo(CAtoi(bpm.c_str()), CAtoi(beats.c_str()));
    host.LoadMusic(defines["_MUSIC_DIR"] + file);
}
