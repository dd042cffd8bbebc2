#include "tools/demotool/render/RenderSetup.h"

#include "demo/Timeline.h"
#include "platform/AudioLayer.h"
#include "tools/demotool/CommandOptions.h"

OfflineSettings ShowSettingsOf(const RenderOptions& options)
{
    OfflineSettings settings;
    settings.width = options.width;
    settings.height = options.height;
    settings.framesPerSecond = options.fps;
    settings.withIntro = options.withIntro;
    settings.samples = options.samples;
    return settings;
}

bool ResolveStart(const RenderOptions& options, const Timeline& timeline, RenderRange& range, std::string& error)
{
    range.start = timeline.StartTime();
    if (options.start.given && !ResolveRenderTime(options.start, timeline, range.start, error))
        return false;
    range.from = range.start;
    if (options.from.given && !ResolveRenderTime(options.from, timeline, range.from, error))
        return false;
    if (range.from < range.start) {
        error = "--from " + FormatMs(range.from) + " lies before the start " + FormatMs(range.start);
        return false;
    }
    if (range.from >= timeline.EndTime()) {
        error = "--from " + FormatMs(range.from) + " is not before the show's end " + FormatMs(timeline.EndTime());
        return false;
    }
    return true;
}

bool ResolveRange(const RenderOptions& options, OfflineShow& show, RenderRange& range, std::string& error)
{
    const Timeline& timeline = show.GetTimeline();
    if (!ResolveStart(options, timeline, range, error))
        return false;
    if (options.to.given) {
        if (!ResolveRenderTime(options.to, timeline, range.to, error))
            return false;
    } else if (timeline.EndTime() != Timeline::kNoTime) {
        range.to = timeline.EndTime();
    } else if (show.MusicPath().empty() || !AudioMusicFileLengthMs(show.MusicPath().c_str(), &range.to)) {
        error = "the script has no \"End\" and the music's length is unknown: give --to";
        return false;
    }
    if (range.to <= range.from) {
        error = "the range is empty: --to " + FormatMs(range.to) + " is not after --from " + FormatMs(range.from);
        return false;
    }
    return true;
}

bool StartRange(OfflineShow& show, const RenderRange& range, uint32_t from, std::string& error)
{
    show.StartAt(range.start);
    if (show.FastForwardTo(from))
        return true;
    error = "the show ends at " + FormatMs(show.GetTimeline().CurrentTime()) + ", before " + FormatMs(from);
    return false;
}
