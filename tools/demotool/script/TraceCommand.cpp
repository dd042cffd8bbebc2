#include "tools/demotool/Command.h"
#include "tools/demotool/script/ScriptSession.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The driver clears the step byte of its six effects' blocks every frame.
constexpr int kDriverEffects = 6;

bool ParseSteps(const char* text, std::vector<uint32_t>& steps)
{
    const char* p = text;
    for (;;) {
        if (*p < '0' || *p > '9')
            return false;
        char* end = nullptr;
        errno = 0;
        const unsigned long long value = std::strtoull(p, &end, 10);
        if (errno != 0 || value > 0xFFFFFFFFull)
            return false;
        steps.push_back(static_cast<uint32_t>(value));
        if (*end == '\0')
            return true;
        if (*end != ',')
            return false;
        p = end + 1;
    }
}

bool IsBlockSet(const EffectParams& block)
{
    for (double value : block.dbl)
        if (value != 0.0)
            return true;
    for (int32_t value : block.lng)
        if (value != 0)
            return true;
    for (int i = 0; i < 12; ++i)
        if (i != kPatternStepFlag && block.flags[i] != 0)
            return true;
    return false;
}

std::string BlockJson(const EffectParams& block)
{
    std::string out = "{\"dbl\":[";
    for (int i = 0; i < 10; ++i)
        out += (i ? "," : "") + JsonDouble(block.dbl[i]);
    out += "],\"lng\":[";
    for (int i = 0; i < 5; ++i)
        out += (i ? "," : "") + std::to_string(block.lng[i]);
    out += "],\"flags\":[";
    for (int i = 0; i < 12; ++i)
        out += (i ? "," : "") + std::to_string(block.flags[i]);
    return out + "]}";
}

void PrintFrame(Timeline& timeline)
{
    std::string line = "{\"t\":" + std::to_string(timeline.CurrentTime()) +
                       ",\"step\":" + std::to_string(timeline.Params(0).flags[kPatternStepFlag]) + ",\"blocks\":{";
    bool first = true;
    for (int32_t slot = 0; slot < Timeline::kEffectSlots; ++slot) {
        const EffectParams& block = timeline.Params(slot);
        if (!IsBlockSet(block))
            continue;
        line += (first ? "\"" : ",\"") + std::to_string(slot) + "\":" + BlockJson(block);
        first = false;
    }
    std::printf("%s}}\n", line.c_str());
}

const char* const kUsage = "usage: demotool trace SCRIPT STEP1,STEP2,...\n";
const char* const kHelp =
    "usage: demotool trace SCRIPT STEP1,STEP2,...\n\n"
    "Reads SCRIPT as the player does, resets the timeline and advances it by each\n"
    "step in milliseconds, printing after each one the clock, the pattern step\n"
    "delivered and every parameter block that holds anything, as one JSON line.\n"
    "Infinite and NaN values are the strings \"inf\", \"-inf\" and \"nan\".\n"
    "Faults are printed as by 'demotool events' and end the trace with status 1.\n";

int RunTrace(int argc, char** argv)
{
    std::vector<uint32_t> steps;
    if (argc != 3 || !ParseSteps(argv[2], steps))
        return RefuseArguments("trace", "steps are milliseconds from 0 to 4294967295, separated by commas", kUsage);
    ScriptSession session;
    if (!session.Load(argv[1]))
        return 1;
    if (!session.Ok()) {
        for (const ScriptFault& fault : session.Host().faults)
            std::printf("%s\n", FaultJson(fault).c_str());
        return 1;
    }
    Timeline& timeline = session.GetTimeline();
    timeline.Reset();
    for (const uint32_t step : steps) {
        timeline.Advance(step);
        PrintFrame(timeline);
        for (int32_t slot = 0; slot < kDriverEffects; ++slot)
            timeline.Params(slot).flags[kPatternStepFlag] = 0;
    }
    return 0;
}

const Command trace("trace", "play a script by given frame times and print the parameter blocks", RunTrace, kHelp);

} // namespace
