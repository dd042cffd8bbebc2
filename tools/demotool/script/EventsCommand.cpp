#include "tools/demotool/Command.h"
#include "tools/demotool/script/ScriptSession.h"

#include <cstdio>

namespace {

void PrintEvent(int32_t i, const TimelineEvent& event)
{
    std::printf("{\"i\":%d,\"effect\":%d,\"start\":%u,\"end\":%u,\"kind\":\"%s\",\"type\":\"%s\","
                "\"dbl\":%s,\"lng\":%d,\"bool\":%u,\"from\":%s,\"index\":%d}\n",
                i, event.effect, event.start, event.end, EventKindName(event.kind), ValueTypeName(event.valueType),
                JsonDouble(event.dblValue).c_str(), event.lngValue, static_cast<unsigned>(event.boolValue),
                JsonDouble(event.fadeFrom).c_str(), event.index);
}

const char* const kHelp =
    "usage: demotool events SCRIPT\n\n"
    "Reads SCRIPT as the player does, without pictures, music or message boxes, and\n"
    "prints one JSON object per line: each fault, then each recorded event in table\n"
    "order, then a summary with the start and end times and the tempo.\n"
    "Numbers JSON cannot hold (from literals like 1e400) are the strings \"inf\",\n"
    "\"-inf\" and \"nan\".\n"
    "Exit status: 0 without faults, 1 with faults or an unreadable file.\n";

int RunEvents(int argc, char** argv)
{
    if (argc != 2)
        return RefuseArguments("events", "give one SCRIPT", "usage: demotool events SCRIPT\n");
    ScriptSession session;
    if (!session.Load(argv[1]))
        return 1;
    for (const ScriptFault& fault : session.Host().faults)
        std::printf("%s\n", FaultJson(fault).c_str());
    const Timeline& timeline = session.GetTimeline();
    for (int32_t i = 0; i < timeline.EventCount(); ++i)
        PrintEvent(i, timeline.Events()[i]);
    std::printf("{\"ok\":%s,\"events\":%d,\"start\":%u,\"end\":%u,\"msPerBeat\":%s,\"msPerPosition\":%s}\n",
                session.Ok() ? "true" : "false", timeline.EventCount(), timeline.StartTime(), timeline.EndTime(),
                JsonDouble(timeline.MsPerBeat()).c_str(), JsonDouble(timeline.MsPerPosition()).c_str());
    return session.Ok() ? 0 : 1;
}

const Command events("events", "list a script's faults and events as JSON lines", RunEvents, kHelp);

} // namespace
