#pragma once

#include "demo/ProgressListener.h"
#include "demo/Timeline.h"
#include "demo/TimelineHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ScriptFault {
    std::string message;
    int32_t line;
    std::string text; // the line after define expansion
};

struct PictureLoad {
    int32_t line;
    std::string handle;
    std::string path;
    int32_t wrapMode;
};

// The tempo in force from a line on: a LoadMusic changes how every later
// line's #P.B times read.
struct TempoLine {
    int32_t line; // 0 for the default the script starts with
    double msPerBeat;
    double msPerPosition;
};

struct MusicLoad {
    int32_t line;
    std::string path;
};

// Writes down what the timeline asks for instead of doing it, so that the
// tools read and play scripts without GL, audio or message boxes.
class RecordingTimelineHost final : public TimelineHost {
public:
    bool LoadImage(ImageRegistry* registry, const std::string& handle, const std::string& path,
                   int32_t wrapMode) override;
    bool LoadMusic(const std::string& path) override;
    void SetMusicPosition(uint32_t milliseconds) override;
    void ReportFault(const char* message, int32_t line, const std::string& lineText,
                     const std::string& fullText) override;

    const Timeline* timeline = nullptr; // for the line number of each call
    std::vector<ScriptFault> faults;
    std::vector<PictureLoad> pictures;
    std::vector<MusicLoad> music;
    std::vector<uint32_t> musicPositions;
};

// One script read as the player reads it, with the line of every event.
class ScriptSession final : private ProgressListener {
public:
    ScriptSession();
    ~ScriptSession();

    // False, with a message on standard error, when the file cannot be read.
    bool Load(const char* path);
    bool Ok() const { return ok; }
    // Load for a command that stands for the player: what the bundled effects
    // need at start-up and the script does not load is a fault too, so that a
    // script without faults starts. The faults are printed as PrintFaults does.
    bool LoadShow(const char* path);

    Timeline& GetTimeline() { return *timeline; }
    const RecordingTimelineHost& Host() const { return host; }
    int32_t LineOfEvent(int32_t index) const { return eventLines[index]; }
    // A line as the file holds it, before defines are replaced; empty past the text.
    const std::string& RawLine(int32_t line) const;
    const std::vector<TempoLine>& Tempos() const { return tempos; }

private:
    void Progress() override;
    void RequireStartUp();

    RecordingTimelineHost host;
    std::unique_ptr<Timeline> timeline;
    std::vector<int32_t> eventLines;
    std::vector<std::string> rawLines;
    std::vector<TempoLine> tempos;
    int32_t linesRead = 0;
    bool ok = false;
};

// JSON pieces written the same way by every subcommand: compact, doubles as
// printf("%.17g") writes them, except infinities and NaN, which JSON cannot
// carry as numbers and which are written as the strings "inf", "-inf", "nan".
std::string JsonString(const std::string& text);
std::string JsonDouble(double value);
std::string FaultJson(const ScriptFault& fault);
// SCRIPT:LINE: MESSAGE and the expanded line, as a compiler reports errors;
// SCRIPT: MESSAGE for a fault of the whole script.
void PrintFaults(const char* script, const std::vector<ScriptFault>& faults);
const char* EventKindName(EventKind kind);
const char* ValueTypeName(ValueType type);
