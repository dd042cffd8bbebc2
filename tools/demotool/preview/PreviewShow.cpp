#include "tools/demotool/preview/PreviewShow.h"

#include "platform/CrtRandom.h"
#include "resources/ImageRegistry.h"
#include "tools/demotool/preview/FileWatch.h"
#include "tools/demotool/script/StartUpNeeds.h"

#include <algorithm>
#include <fstream>

namespace {

// The registry reads a ".bmp" name from the PNG file of the same stem.
bool SameEvent(const TimelineEvent& a, EventKind aKind, const TimelineEvent& b, EventKind bKind)
{
    return a.effect == b.effect && a.start == b.start && a.end == b.end && aKind == bKind &&
           a.valueType == b.valueType && a.dblValue == b.dblValue && a.lngValue == b.lngValue &&
           a.boolValue == b.boolValue && a.fadeFrom == b.fadeFrom && a.index == b.index;
}

bool SamePattern(const Pattern& a, const Pattern& b)
{
    return a.length == b.length && std::equal(a.steps, a.steps + Pattern::kMaxSteps, b.steps);
}

std::string FileReadFor(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.compare(dot, std::string::npos, ".bmp") == 0)
        return path.substr(0, dot) + ".png";
    return path;
}

} // namespace

PreviewShow::PreviewShow()
    : show(std::make_unique<DemoShow>(static_cast<TimelineHost&>(*this)))
{
    show->driver.SetIntro(false);
}

PreviewShow::~PreviewShow()
{
    show->Stop();
    DeleteTextures();
}

bool PreviewShow::Build()
{
    files.push_back(kScriptPath);
    if (!std::ifstream(kScriptPath).is_open()) {
        faults.push_back(std::string(kScriptPath) + ": cannot be opened");
        return false;
    }
    // The global music object has no stream of the preview's, so the
    // driver's start-up leaves the music alone.
    const bool effectsStarted = show->Start() == 0;
    scriptStartTime = show->driver.GetTimeline().StartTime();
    if (!effectsStarted && faults.empty())
        ReportMissingPictures();
    if (effectsStarted)
        CheckMesh();
    const Timeline& timeline = show->driver.GetTimeline();
    for (int32_t i = 0; i < timeline.EventCount(); ++i)
        scriptKinds.push_back(timeline.Events()[i].kind);
    for (const std::string& file : files)
        stamps.push_back(file == kScriptPath ? FileStamp{} : StampOf(file));
    return effectsStarted && faults.empty();
}

void PreviewShow::StartAt(uint32_t milliseconds)
{
    Timeline& timeline = show->driver.GetTimeline();
    timeline.SetStartTime(milliseconds);
    timeline.Reset();
}

void PreviewShow::Save(ShowSnapshot& snapshot) const
{
    const Timeline& timeline = show->driver.GetTimeline();
    snapshot.timeline = timeline.PlayState();
    snapshot.reachedKinds.clear();
    for (int32_t i = 0; i < timeline.EventCount(); ++i)
        if (timeline.Events()[i].start <= timeline.CurrentTime())
            snapshot.reachedKinds.push_back(timeline.Events()[i].kind);
    snapshot.heart = show->lineup.heart.State();
    snapshot.picture = show->lineup.picture.State();
    snapshot.glowCompose = show->lineup.glowCompose.State();
    snapshot.random = CrtState();
    snapshot.lastFrameTime = show->driver.LastFrameTime();
}

void PreviewShow::Restore(const ShowSnapshot& snapshot)
{
    Timeline& timeline = show->driver.GetTimeline();
    timeline.RestorePlayState(snapshot.timeline);
    size_t reached = 0;
    for (int32_t i = 0; i < timeline.EventCount(); ++i) {
        const bool isReached = timeline.Events()[i].start <= timeline.CurrentTime();
        if (isReached && reached < snapshot.reachedKinds.size())
            timeline.SetEventKind(i, snapshot.reachedKinds[reached++]);
        else
            timeline.SetEventKind(i, scriptKinds[size_t(i)]);
    }
    show->lineup.heart.RestoreState(snapshot.heart);
    show->lineup.picture.RestoreState(snapshot.picture);
    show->lineup.glowCompose.RestoreState(snapshot.glowCompose);
    CrtSeed(snapshot.random);
    show->driver.SetLastFrameTime(snapshot.lastFrameTime);
}

uint32_t PreviewShow::FirstDifference(const PreviewShow& before) const
{
    const Timeline& now = GetTimeline();
    const Timeline& then = before.GetTimeline();
    if (files != before.files || stamps != before.stamps || now.MsPerBeat() != then.MsPerBeat() ||
        now.MsPerPosition() != then.MsPerPosition() || now.StepsPerMs() != then.StepsPerMs() ||
        scriptStartTime != before.scriptStartTime)
        return 0;

    uint32_t first = Timeline::kNoTime;
    // A pattern plays from the first switch to it; every other event acts
    // at its start.
    for (int32_t id = 0; id < Timeline::kPatternCount; ++id) {
        if (SamePattern(now.GetPattern(id), then.GetPattern(id)))
            continue;
        for (const Timeline* timeline : {&now, &then})
            for (int32_t i = 0; i < timeline->EventCount(); ++i)
                if (timeline->Events()[i].kind == EventKind::PatternSwitch && timeline->Events()[i].lngValue == id)
                    first = std::min(first, timeline->Events()[i].start);
    }

    // Events act in the script's order within a frame, so the events started
    // by a time must be the same ones in the same order, not only at the
    // same times. The order of the events as read is kept by the kinds.
    std::vector<uint32_t> times;
    for (const Timeline* timeline : {&now, &then})
        for (int32_t i = 0; i < timeline->EventCount(); ++i)
            times.push_back(timeline->Events()[i].start);
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    for (const uint32_t time : times) {
        if (time >= first)
            break;
        int32_t i = 0;
        int32_t j = 0;
        bool same = true;
        while (same) {
            while (i < now.EventCount() && now.Events()[i].start > time)
                ++i;
            while (j < then.EventCount() && then.Events()[j].start > time)
                ++j;
            if (i == now.EventCount() || j == then.EventCount()) {
                same = i == now.EventCount() && j == then.EventCount();
                break;
            }
            same = SameEvent(now.Events()[i], scriptKinds[size_t(i)], then.Events()[j],
                             before.scriptKinds[size_t(j)]);
            ++i;
            ++j;
        }
        if (!same)
            return time;
    }
    return first;
}

bool PreviewShow::Frame()
{
    return show->driver.Frame() == 2;
}

Timeline& PreviewShow::GetTimeline()
{
    return show->driver.GetTimeline();
}

const Timeline& PreviewShow::GetTimeline() const
{
    return show->driver.GetTimeline();
}

bool PreviewShow::LoadImage(ImageRegistry* registry, const std::string& handle, const std::string& path,
                            int32_t wrapMode)
{
    files.push_back(FileReadFor(path));
    if (registry && registry->LoadImage(handle, path, wrapMode))
        return true;
    faults.push_back(ScriptLine() + "the picture " + FileReadFor(path) + " cannot be read");
    return false;
}

bool PreviewShow::LoadMusic(const std::string& path)
{
    musicPath = path;
    files.push_back(path);
    return true;
}

void PreviewShow::SetMusicPosition(uint32_t)
{
}

void PreviewShow::ReportFault(const char* message, int32_t line, const std::string& lineText, const std::string&)
{
    faults.push_back(std::string(kScriptPath) + ":" + std::to_string(line) + ": " + message + ": " + lineText);
}

std::string PreviewShow::ScriptLine() const
{
    return std::string(kScriptPath) + ":" + std::to_string(show->driver.GetTimeline().LineNumber()) + ": ";
}

// An effect refuses to start without its pictures; the player says only
// "Initialization failed", the preview says which are missing.
void PreviewShow::ReportMissingPictures()
{
    const ImageRegistry& registry = show->driver.GetImageRegistry();
    const std::string missing =
        MissingPicturesFault([&](const std::string& name) { return registry.Find(name) != nullptr; });
    faults.push_back(missing.empty() ? "the effects could not start" : missing);
}

// The heart plays whatever its mesh holds; an empty one is almost surely a
// file caught half written, and repairs are worth a word.
void PreviewShow::CheckMesh()
{
    files.push_back(kMeshPath);
    const Mesh3DS& mesh = show->lineup.heart.Mesh();
    if (mesh.objectCount == 0) {
        faults.push_back(std::string(kMeshPath) + ": no objects could be read");
        return;
    }
    if (mesh.WarningCount() > 0)
        notes.push_back(std::string(kMeshPath) + ": " + std::to_string(mesh.WarningCount()) +
                        " repairs, the first: " + mesh.Warnings().front());
}

// The player never deletes texture names, since its pictures live as long
// as its context; the preview builds a show at every reload and would
// otherwise keep every picture it ever read.
void PreviewShow::DeleteTextures()
{
    show->driver.GetImageRegistry().DeleteTextureNames();
}
