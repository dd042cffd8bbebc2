#include "tools/demotool/preview/PreviewShow.h"

#include "resources/ImageRegistry.h"
#include "tools/demotool/preview/FileWatch.h"
#include "tools/demotool/script/StartUpNeeds.h"

#include <fstream>

namespace {

// The registry reads a ".bmp" name from the PNG file of the same stem.
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
    return effectsStarted && faults.empty();
}

void PreviewShow::StartAt(uint32_t milliseconds)
{
    Timeline& timeline = show->driver.GetTimeline();
    timeline.SetStartTime(milliseconds);
    timeline.Reset();
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
