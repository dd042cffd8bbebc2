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

const char* const kUsage = "usage: demotool timeline SCRIPT --png FILE [--size WxH] [--from TIME] [--to TIME]\n";

struct TimelineOptions {
    std::string script;
    std::string png;
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
    if (!WalkArguments(argc, argv, {}, take, error))
        return false;
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

const char* const kHelp =
    "usage: demotool timeline SCRIPT --png FILE [--size WxH] [--from TIME] [--to TIME]\n\n"
    "Reads SCRIPT as the player does and draws it as one PNG picture against the\n"
    "show's time: the position grid at the script's tempo (#P labels on bars, beat\n"
    "lines when there is room), Goto and End; the waveform of the music the script\n"
    "loads (paths relative to the current directory, as the player reads them); one\n"
    "lane per effect slot the script uses, named as the player's lineup names it,\n"
    "with the spans its running flag is set (bars), Sets of other parameters (ticks,\n"
    "with their value where there is room), fades (ramps from their from to their\n"
    "to value, dashed where that value is infinite) and triggers (yellow marks); and\n"
    "the pattern lane: which pattern plays where and each step it delivers ('*'\n"
    "orange, 'x' blue, others grey).\n\n"
    "  --png FILE    the picture to write\n"
    "  --size WxH    its size in pixels (default 1600x600)\n"
    "  --from TIME   the first moment shown (default the show's start, 0)\n"
    "  --to TIME     the last (default the script's End, else past its last event)\n\n"
    "Times are #P.B (positions and beats at the script's tempo), =MS or seconds\n"
    "(12.5s). A script with faults, as 'demotool check' reports them, gets them\n"
    "printed and no picture.\n"
    "Exit status: 0 with a picture, 1 for faults or files that cannot be read or\n"
    "written, 2 for wrong arguments.\n";

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
    const TimelineLanes lanes = BuildTimelineLanes(session.GetTimeline());
    uint32_t from = 0, to = lanes.length;
    if ((options.from.given && !ResolveRenderTime(options.from, session.GetTimeline(), from, error)) ||
        (options.to.given && !ResolveRenderTime(options.to, session.GetTimeline(), to, error)))
        return RefuseArguments("timeline", error);
    if (to <= from)
        return RefuseArguments("timeline",
                               "--to (" + FormatMs(to) + ") must come after --from (" + FormatMs(from) + ")");
    const std::unique_ptr<MusicEnvelope> music = DecodeMusic(session.Host());
    return WritePicture(options, lanes, music.get(), from, to) ? 0 : 1;
}

const Command timeline("timeline", "draw a script's lanes against the music as a PNG picture", RunTimeline, kHelp);

} // namespace
