#include "tools/demotool/Command.h"
#include "tools/demotool/CommandOptions.h"
#include "tools/demotool/script/ScriptSession.h"
#include "tools/demotool/timeline/MusicEnvelope.h"
#include "tools/demotool/timeline/TimelineLanes.h"
#include "tools/demotool/timeline/TimelinePainter.h"

#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

const char* const kUsage = "usage: demotool timeline SCRIPT --png FILE [--size WxH] [--from TIME] [--to TIME]\n";

struct TimelineOptions {
    std::string script;
    std::string png;
    int32_t width = 1600;
    int32_t height = 600;
    RenderTime from;
    RenderTime to;
};

bool ParseOptions(int argc, char** argv, TimelineOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name.rfind("--", 0) != 0) {
            if (!options.script.empty()) {
                error = "unexpected argument " + name;
                return false;
            }
            options.script = name;
            continue;
        }
        if (i + 1 >= argc) {
            error = name + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (name == "--png") {
            options.png = value;
        } else if (name == "--from") {
            ok = SetRenderTime(options.from, name, value, error);
        } else if (name == "--to") {
            ok = SetRenderTime(options.to, name, value, error);
        } else if (name == "--size") {
            ok = ParseSize(value, options.width, options.height) && options.width >= 320 &&
                 options.width <= 8192 && options.height >= 120 && options.height <= 4096;
            if (!ok)
                error = "--size " + std::string(value) + ": WxH, width 320 to 8192, height 120 to 4096";
        } else {
            error = "unknown option " + name;
            return false;
        }
        if (!ok)
            return false;
    }
    if (options.script.empty() || options.png.empty()) {
        error = "give a SCRIPT and --png FILE";
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

bool WritePicture(const TimelineOptions& options, const TimelineLanes& lanes, const MusicEnvelope* music,
                  uint32_t from, uint32_t to)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, options.width, options.height);
    cairo_t* cr = cairo_create(surface);
    const TimelineLayout layout =
        LayOutTimeline(lanes, options.width, options.height, from, to, music != nullptr, TimelineStyle::Picture);
    PaintTimeline(cr, lanes, music, layout);
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(surface, options.png.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "demotool: cannot write %s: %s\n", options.png.c_str(), cairo_status_to_string(status));
        return false;
    }
    return true;
}

int RunTimeline(int argc, char** argv)
{
    if (WantsHelp(argc, argv)) {
        std::printf("%s\n"
                    "Reads SCRIPT as the player does and draws it as one PNG picture against the\n"
                    "show's time: the position grid at the script's tempo (#P labels on bars, beat\n"
                    "lines when there is room), Goto and End; the waveform of the music the script\n"
                    "loads (paths relative to the current directory, as the player reads them); one\n"
                    "lane per effect slot the script uses, named as the player's lineup names it,\n"
                    "with the spans its running flag is set (bars), Sets of other parameters (ticks,\n"
                    "with their value where there is room), fades (ramps from their from to their\n"
                    "to value) and triggers (yellow marks); and the pattern lane: which pattern\n"
                    "plays where and each step it delivers ('*' orange, 'x' blue, others grey).\n\n"
                    "  --png FILE    the picture to write\n"
                    "  --size WxH    its size in pixels (default 1600x600)\n"
                    "  --from TIME   the first moment shown (default the show's start, 0)\n"
                    "  --to TIME     the last (default the script's End, else past its last event)\n\n"
                    "Times are #P.B (positions and beats at the script's tempo), =MS or seconds\n"
                    "(12.5s). A script with faults is reported as 'demotool check' reports it, and\n"
                    "no picture is written.\n"
                    "Exit status: 0 with a picture, 1 for faults or files that cannot be read or\n"
                    "written, 2 for wrong arguments.\n",
                    kUsage);
        return 0;
    }
    TimelineOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "demotool timeline: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    ScriptSession session;
    if (!session.Load(options.script.c_str()))
        return 1;
    if (!session.Ok()) {
        PrintFaults(options.script.c_str(), session.Host().faults);
        std::printf("%zu fault(s); no picture written\n", session.Host().faults.size());
        return 1;
    }
    const TimelineLanes lanes = BuildTimelineLanes(session.GetTimeline());
    const uint32_t from = options.from.given ? ResolveRenderTime(options.from.text, session.GetTimeline()) : 0;
    const uint32_t to = options.to.given ? ResolveRenderTime(options.to.text, session.GetTimeline()) : lanes.length;
    if (to <= from) {
        std::fprintf(stderr, "demotool timeline: --to (%s) must come after --from (%s)\n", FormatMs(to).c_str(),
                     FormatMs(from).c_str());
        return 2;
    }
    const std::unique_ptr<MusicEnvelope> music = DecodeMusic(session.Host());
    return WritePicture(options, lanes, music.get(), from, to) ? 0 : 1;
}

const Command timeline("timeline", "draw a script's lanes against the music as a PNG picture", RunTimeline);

} // namespace
