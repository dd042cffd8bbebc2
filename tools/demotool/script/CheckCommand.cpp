#include "effects/EffectParameters.h"
#include "tools/demotool/Command.h"
#include "tools/demotool/script/ScriptSession.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Warning {
    int32_t line;
    std::string text;
};

bool FileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The registry reads .png files, and .bmp names from the .png of the same stem.
void CheckPicture(const PictureLoad& picture, std::vector<Warning>& warnings)
{
    const size_t dot = picture.path.rfind('.');
    const std::string extension = dot == std::string::npos ? picture.path : picture.path.substr(dot + 1);
    std::string read;
    if (extension == "png")
        read = picture.path;
    else if (extension == "bmp")
        read = picture.path.substr(0, dot) + ".png";
    else {
        warnings.push_back({picture.line, "picture '" + picture.path +
                                              "' is neither .png nor .bmp; the player loads nothing for it"});
        return;
    }
    if (!FileExists(read))
        warnings.push_back({picture.line, "picture '" + read + "' does not exist"});
}

const char* IndexRangeProblem(const TimelineEvent& event)
{
    // A trigger pulses a flag whatever type word it was written with.
    const ValueType type = event.kind == EventKind::Trigger ? ValueType::Bool : event.valueType;
    switch (type) {
    case ValueType::Dbl: return event.index >= 0 && event.index <= 9 ? nullptr : "dbl 0..9";
    case ValueType::Lng: return event.index >= 0 && event.index <= 4 ? nullptr : "lng 0..4";
    case ValueType::Bool: return event.index >= 0 && event.index <= 11 ? nullptr : "bool 0..11";
    }
    return nullptr;
}

// The array a Set, Fade or Trig writes into: a trigger pulses a flag whatever its type word.
ParamKind WrittenKind(const TimelineEvent& event)
{
    if (event.kind == EventKind::Trigger)
        return ParamKind::Flag;
    switch (event.valueType) {
    case ValueType::Dbl: return ParamKind::Dbl;
    case ValueType::Lng: return ParamKind::Lng;
    case ValueType::Bool: return ParamKind::Flag;
    }
    return ParamKind::Dbl;
}

void CheckEvents(ScriptSession& session, std::vector<Warning>& warnings)
{
    const Timeline& timeline = session.GetTimeline();
    int32_t lastEvent = -1;
    uint32_t lastTime = 0;
    for (int32_t i = 0; i < timeline.EventCount(); ++i) {
        const TimelineEvent& event = timeline.Events()[i];
        const int32_t line = session.LineOfEvent(i);
        const bool usesSlot = event.kind != EventKind::PatternSwitch;
        if (usesSlot && (event.effect < 0 || event.effect >= Timeline::kEffectSlots))
            warnings.push_back({line, "effect slot " + std::to_string(event.effect) +
                                          " is outside 0..63; the event changes nothing"});
        const bool slotInRange = usesSlot && event.effect >= 0 && event.effect < Timeline::kEffectSlots;
        const char* range = usesSlot && event.kind != EventKind::Fade ? IndexRangeProblem(event) : nullptr;
        if (range)
            warnings.push_back({line, "index " + std::to_string(event.index) + " is outside " + range +
                                          "; the event changes nothing"});
        const ParamKind kind = WrittenKind(event);
        if (slotInRange && !range && !FindEffectParameter(event.effect, kind, event.index))
            warnings.push_back({line, "no effect reads scene." + std::to_string(event.effect) + "." +
                                          ParamKindWord(kind) + "." + std::to_string(event.index) +
                                          " (see demotool params); the event changes nothing on screen"});
        if (event.kind == EventKind::PatternSwitch && event.lngValue >= 0 &&
            timeline.GetPattern(event.lngValue).length == 0)
            warnings.push_back({line, "pattern " + std::to_string(event.lngValue) +
                                          " is used but never defined with any steps"});
        if (event.start == Timeline::kNoTime) {
            warnings.push_back({line, "the event has no time and never fires"});
            continue;
        }
        const uint32_t time = event.kind == EventKind::Fade ? event.end : event.start;
        if (lastEvent < 0 || time >= lastTime) {
            lastEvent = i;
            lastTime = time;
        }
    }
    if (lastEvent >= 0 && timeline.EndTime() < lastTime)
        warnings.push_back({session.LineOfEvent(lastEvent),
                            "the show ends at " + std::to_string(timeline.EndTime()) + " ms, before this event at " +
                                std::to_string(lastTime) + " ms"});
}

const char* const kHelp =
    "usage: demotool check SCRIPT\n\n"
    "Reads SCRIPT as the player does, without GL or audio, and prints each fault as\n"
    "SCRIPT:LINE: MESSAGE followed by the line after define expansion (pictures the\n"
    "effects need at start-up and the script does not load are faults of the whole\n"
    "script), then warnings: pictures or music that do not exist (paths relative to\n"
    "the current directory), effect slots or indices out of range, parameters that\n"
    "no effect reads (see demotool params), patterns used but never defined, events\n"
    "that never fire and an End before the last event.\n"
    "Exit status: 0 without faults, 1 with faults or an unreadable file.\n";

int RunCheck(int argc, char** argv)
{
    if (argc != 2)
        return RefuseArguments("check", "give one SCRIPT", "usage: demotool check SCRIPT\n");
    const char* script = argv[1];
    ScriptSession session;
    if (!session.LoadShow(script))
        return 1;

    std::vector<Warning> warnings;
    for (const PictureLoad& picture : session.Host().pictures)
        CheckPicture(picture, warnings);
    for (const MusicLoad& music : session.Host().music)
        if (!FileExists(music.path))
            warnings.push_back({music.line, "music '" + music.path + "' does not exist"});
    CheckEvents(session, warnings);
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const Warning& a, const Warning& b) { return a.line < b.line; });
    for (const Warning& warning : warnings)
        std::printf("%s:%d: warning: %s\n", script, warning.line, warning.text.c_str());

    std::printf("%zu fault(s), %zu warning(s)\n", session.Host().faults.size(), warnings.size());
    return session.Ok() ? 0 : 1;
}

const Command check("check", "read a script as the player does and report faults and warnings", RunCheck, kHelp);

} // namespace
