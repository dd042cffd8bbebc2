#include "tools/demotool/Command.h"
#include "tools/demotool/CommandOptions.h"
#include "tools/demotool/script/ScriptSession.h"
#include "tools/demotool/timeline/MusicEnvelope.h"
#include "tools/demotool/timeline/TimelineLanes.h"
#include "tools/demotool/timeline/TimelinePainter.h"

#include <cairo.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

const char* const kUsage =
    "usage: demotool timeline SCRIPT (--png FILE | --json) [--size WxH] [--from TIME] [--to TIME]\n";

struct TimelineOptions {
    std::string script;
    std::string png;
    bool json = false;
    int32_t width = 1600;
    int32_t height = 600;
    RenderTime from;
    RenderTime to;
};

bool TakeOption(TimelineOptions& options, const std::string& name, const char* value, std::string& error)
{
    bool ok = true;
    if (name.empty() && options.script.empty()) options.script = value;
    else if (name.empty()) {
        error = std::string("unexpected argument ") + value;
        ok = false;
    } else if (name == "--png") options.png = value;
    else if (name == "--json") options.json = true;
    else if (name == "--from") ok = SetRenderTime(options.from, name, value, error);
    else if (name == "--to") ok = SetRenderTime(options.to, name, value, error);
    else if (name == "--size") {
        ok = ParseSize(value, options.width, options.height) && options.width >= 320 && options.width <= 8192 &&
             options.height >= 120 && options.height <= 4096;
        if (!ok)
            error = "--size " + std::string(value) + ": WxH, width 320 to 8192, height 120 to 4096";
    } else {
        error = "unknown option " + name;
        ok = false;
    }
    return ok;
}

bool ParseOptions(int argc, char** argv, TimelineOptions& options, std::string& error)
{
    const auto take = [&](const std::string& name, const char* value, std::string& message) {
        return TakeOption(options, name, value, message);
    };
    if (!WalkArguments(argc, argv, {"--json"}, take, error))
        return false;
    if (options.script.empty() || (options.png.empty() && !options.json)) {
        error = "give a SCRIPT and --png FILE or --json";
        return false;
    }
    return true;
}

// The music the player would play: the last LoadMusic. Without it, or when it
// does not decode, the picture goes without its waveform.
std::unique_ptr<MusicEnvelope> DecodeMusic(const RecordingTimelineHost& host)
{
    if (host.music.empty())
        return nullptr;
    auto music = std::make_unique<MusicEnvelope>();
    std::string error;
    if (!music->Decode(host.music.back().path.c_str(), error)) {
        std::fprintf(stderr, "demotool: warning: %s; the picture has no waveform\n", error.c_str());
        return nullptr;
    }
    return music;
}

// Cairo's own PNG writer says only "error while writing to output stream";
// written through a FILE, the reason (a full disk, a missing folder) is kept.
cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length)
{
    return std::fwrite(data, 1, length, static_cast<FILE*>(closure)) == length ? CAIRO_STATUS_SUCCESS
                                                                              : CAIRO_STATUS_WRITE_ERROR;
}

bool WritePicture(const TimelineOptions& options, const TimelineLanes& lanes, const MusicEnvelope* music,
                  uint32_t from, uint32_t to)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, options.width, options.height);
    cairo_t* cr = cairo_create(surface);
    const TimelineLayout layout =
        LayOutTimeline(lanes, options.width, options.height, from, to, music != nullptr, TimelineStyle::Picture);
    PaintTimeline(cr, lanes, music, layout);
    cairo_destroy(cr);
    FILE* file = std::fopen(options.png.c_str(), "wb");
    std::string reason;
    if (!file) {
        reason = std::strerror(errno);
    } else {
        const cairo_status_t status = cairo_surface_write_to_png_stream(surface, WriteToFile, file);
        const int writeError = std::ferror(file) ? errno : 0;
        if (std::fclose(file) != 0 && status == CAIRO_STATUS_SUCCESS)
            reason = std::strerror(errno);
        else if (status != CAIRO_STATUS_SUCCESS)
            reason = writeError != 0 ? std::strerror(writeError) : cairo_status_to_string(status);
    }
    cairo_surface_destroy(surface);
    if (reason.empty())
        return true;
    FailCommand("timeline", "cannot write " + options.png + ": " + reason);
    return false;
}

std::string SpanJson(const TimeSpan& span)
{
    return "{\"start\":" + std::to_string(span.start) + ",\"end\":" + std::to_string(span.end) + "}";
}

std::string TrackJson(const ParameterTrack& track)
{
    std::string out = "{\"parameter\":" + JsonString(track.parameter) + ",\"name\":" + JsonString(track.name) +
                      ",\"read\":" + (track.read ? "true" : "false") + ",\"keys\":[";
    for (size_t i = 0; i < track.keys.size(); ++i)
        out += std::string(i ? "," : "") + "{\"time\":" + std::to_string(track.keys[i].time) +
               ",\"value\":" + JsonDouble(track.keys[i].value) + ",\"text\":" + JsonString(track.keys[i].text) + "}";
    out += "],\"fades\":[";
    for (size_t i = 0; i < track.fades.size(); ++i) {
        const TrackFade& fade = track.fades[i];
        out += std::string(i ? "," : "") + "{\"start\":" + std::to_string(fade.span.start) +
               ",\"end\":" + std::to_string(fade.span.end) + ",\"from\":" + JsonDouble(fade.from) +
               ",\"to\":" + JsonDouble(fade.to) + ",\"fromText\":" + JsonString(fade.fromText) +
               ",\"toText\":" + JsonString(fade.toText) + "}";
    }
    out += "],\"triggers\":[";
    for (size_t i = 0; i < track.triggers.size(); ++i)
        out += std::string(i ? "," : "") + std::to_string(track.triggers[i]);
    return out + "]}";
}

// The tracks as data, in the order and with the names the picture draws them.
void PrintJson(const TimelineLanes& lanes)
{
    std::string out = "{\"length\":" + std::to_string(lanes.length) + ",\"tempos\":[";
    for (size_t i = 0; i < lanes.tempos.size(); ++i)
        out += std::string(i ? "," : "") + "{\"start\":" + std::to_string(lanes.tempos[i].start) +
               ",\"msPerBeat\":" + JsonDouble(lanes.tempos[i].msPerBeat) +
               ",\"msPerPosition\":" + JsonDouble(lanes.tempos[i].msPerPosition) + "}";
    out += "],\"slots\":[";
    for (size_t i = 0; i < lanes.effects.size(); ++i) {
        const EffectLane& lane = lanes.effects[i];
        out += std::string(i ? "," : "") + "{\"slot\":" + std::to_string(lane.slot) +
               ",\"name\":" + JsonString(lane.name) + ",\"running\":[";
        for (size_t r = 0; r < lane.running.size(); ++r)
            out += (r ? "," : "") + SpanJson(lane.running[r]);
        out += "],\"tracks\":[";
        for (size_t t = 0; t < lane.tracks.size(); ++t)
            out += (t ? "," : "") + TrackJson(lane.tracks[t]);
        out += "]}";
    }
    out += "],\"patterns\":[";
    for (size_t i = 0; i < lanes.patterns.size(); ++i)
        out += std::string(i ? "," : "") + "{\"pattern\":" + std::to_string(lanes.patterns[i].pattern) +
               ",\"start\":" + std::to_string(lanes.patterns[i].span.start) +
               ",\"end\":" + std::to_string(lanes.patterns[i].span.end) + "}";
    std::printf("%s]}\n", out.c_str());
}

const char* const kHelp =
    "usage: demotool timeline SCRIPT (--png FILE | --json) [--size WxH] [--from TIME] [--to TIME]\n\n"
    "Reads SCRIPT as the player does and draws it as one PNG picture against the\n"
    "show's time: the position grid (#P labels on bars, beat lines when there is\n"
    "room) at the tempo each line's times were read at, a mark where a LoadMusic\n"
    "changes it, Goto and End; the waveform of the music the script loads (paths\n"
    "relative to the current directory, as the player reads them); one lane per\n"
    "effect slot the script uses, named as the player's lineup names it, with the\n"
    "spans its running flag is set (bars); under it one track per other parameter\n"
    "the script touches, named as 'demotool params' names it (or by a define that\n"
    "stands for it; \"(unread)\" when no effect reads it): its value as a line on\n"
    "its own scale, steps at Sets, ramps over fades, triggers as yellow marks,\n"
    "values written where they change (by the define's name where the script set\n"
    "that value by one; \"+N\" counts the labels that did not fit) and, when --from\n"
    "is past 0, the value in force at the left edge. When the picture is too small\n"
    "a slot folds its tracks into its lane and says how many. Last the pattern\n"
    "lane: which pattern plays where and each step it delivers ('*' orange, 'x'\n"
    "blue, others grey).\n\n"
    "  --png FILE    the picture to write\n"
    "  --json        print the lanes and tracks as JSON: per slot its running\n"
    "                spans and tracks (parameter, name, read, keys with time, value and\n"
    "                text, fades with both ends and times, triggers), the tempos\n"
    "                and the pattern runs; times in milliseconds\n"
    "  --size WxH    the picture's size in pixels (default 1600x600)\n"
    "  --from TIME   the first moment shown (default the show's start, 0)\n"
    "  --to TIME     the last (default the script's End, else past its last event)\n\n"
    "Times are #P.B (positions and beats at the script's last tempo), =MS or\n"
    "seconds (12.5s). A script with faults, as 'demotool check' reports them, gets\n"
    "them printed and no picture; so does one without any timed event.\n"
    "Exit status: 0 with a picture, 1 for faults, a script with nothing to draw or\n"
    "files that cannot be read or written, 2 for wrong arguments.\n";

int RunTimeline(int argc, char** argv)
{
    TimelineOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error))
        return RefuseArguments("timeline", error, kUsage);
    ScriptSession session;
    if (!session.LoadShow(options.script.c_str()))
        return 1;
    if (!session.Ok()) {
        std::printf("%zu fault(s); no picture written\n", session.Host().faults.size());
        return 1;
    }
    // A script of only loads and defines draws an empty grid that looks like
    // a picture of something; most likely the wrong file, or every timed line
    // commented out, and the author should hear so.
    if (session.GetTimeline().EventCount() == 0)
        return FailCommand("timeline", options.script + " has no timed events (Set, Fade, Trig, UsePattern, "
                                                        "DisablePattern): nothing to draw");
    const TimelineLanes lanes = BuildTimelineLanes(session);
    uint32_t from = 0, to = lanes.length;
    if ((options.from.given && !ResolveRenderTime(options.from, session.GetTimeline(), from, error)) ||
        (options.to.given && !ResolveRenderTime(options.to, session.GetTimeline(), to, error)))
        return RefuseArguments("timeline", error);
    if (to <= from)
        return RefuseArguments("timeline",
                               "--to (" + FormatMs(to) + ") must come after --from (" + FormatMs(from) + ")");
    if (options.json)
        PrintJson(lanes);
    if (options.png.empty())
        return 0;
    const std::unique_ptr<MusicEnvelope> music = DecodeMusic(session.Host());
    return WritePicture(options, lanes, music.get(), from, to) ? 0 : 1;
}

const Command timeline("timeline", "draw a script's lanes against the music as a PNG picture", RunTimeline, kHelp);

} // namespace
