#pragma once

#include "demo/EffectParams.h"
#include "demo/TimelineEvent.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

class ImageRegistry;
class ProgressListener;
class TimelineHost;

// What playback carries from one frame to the next, apart from the events'
// kinds: a plain value, so that the preview keeps a copy as a checkpoint.
struct TimelinePlayState {
    static constexpr int kEffectSlots = 64;
    static constexpr int kMaxPendingSteps = 4096;

    EffectParams params[kEffectSlots] = {};
    int32_t currentPattern = -1;
    float stepAccumulator = 0.0f;
    int32_t lastStep = -1;
    int32_t pendingCount = 0;
    uint32_t previousTime = 0;
    uint32_t currentTime = 0;
    // A ring, so that a full stack drops its oldest step in constant time.
    char pendingSteps[kMaxPendingSteps] = {};
    int32_t pendingBottom = 0;
};

// The script engine: reads the timeline script once at start-up, then turns
// its events into one EffectParams block per effect slot as time passes.
// All tables have fixed sizes, so playback never allocates.
class Timeline {
public:
    static constexpr int kMaxEvents = 1000;
    static constexpr int kPatternCount = 20;
    static constexpr int kEffectSlots = TimelinePlayState::kEffectSlots;
    static constexpr int kMaxPendingSteps = TimelinePlayState::kMaxPendingSteps;
    static constexpr size_t kMaxLineLength = 255;
    static constexpr size_t kMaxExpandedLength = 1024;
    static constexpr size_t kMaxDefines = 1024; // the built-in three included
    static constexpr uint32_t kNoTime = 0xFFFFFFFFu;

    // Wrap modes handed to the image registry.
    static constexpr int32_t kWrapClamp = 0x2900;  // GL_CLAMP
    static constexpr int32_t kWrapRepeat = 0x2901; // GL_REPEAT

    // Uses the player's pictures, music and error box.
    Timeline();
    explicit Timeline(TimelineHost& host);
    virtual ~Timeline();

    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    void SetProgressListener(ProgressListener* listener) { progressListener = listener; }
    // True when the script was read and no line reported a fault. A file
    // that cannot be opened gives false without a fault.
    bool Load(const char* path, ImageRegistry* registry);
    // The same for a script already in memory; the bytes need no terminator.
    // As in text mode, the text ends at the first Ctrl-Z (0x1A).
    bool LoadFromMemory(const char* bytes, size_t size, ImageRegistry* registry);

    void Reset();
    void Advance(uint32_t elapsed);
    // A slot outside 0..63 gets a scratch block that nothing else reads.
    EffectParams& Params(int32_t effect);
    bool IsFinished() const { return play.currentTime >= endTime; }

    // Pieces of the reader, exposed for tools and tests.
    static void SplitToken(std::string& out, char delimiter, std::string& rest);
    static void Trim(std::string& text);
    uint32_t ParseTime(const std::string& text) const;
    void SetTempo(int32_t bpm, int32_t beatsPerPosition);

    const TimelineEvent* Events() const { return events; }
    int32_t EventCount() const { return eventCount; }
    const Pattern& GetPattern(int32_t id) const { return patterns[id]; }
    const std::map<std::string, std::string>& Defines() const { return defines; }
    double MsPerBeat() const { return msPerBeat; }
    double MsPerPosition() const { return msPerPosition; }
    float StepsPerMs() const { return stepsPerMs; }
    uint32_t StartTime() const { return startTime; }
    // Tools start a loaded script elsewhere, as a "Goto" line would; the next
    // Reset puts the clock (and the music) there.
    void SetStartTime(uint32_t milliseconds) { startTime = milliseconds; }
    uint32_t EndTime() const { return endTime; }
    uint32_t CurrentTime() const { return play.currentTime; }
    int32_t CurrentPattern() const { return play.currentPattern; }
    int32_t PendingCount() const { return play.pendingCount; }
    // Checkpoints: the state is put back whole; an event's kind is all that
    // playback changes in it, and goes back one event at a time.
    const TimelinePlayState& PlayState() const { return play; }
    void RestorePlayState(const TimelinePlayState& state) { play = state; }
    void SetEventKind(int32_t index, EventKind kind) { events[index].kind = kind; }
    int32_t LineNumber() const { return lineNumber; }

private:
    void ReadLine(std::string line);
    bool ExpandDefines(std::string& line) const;
    void ParseLine(std::string line, uint32_t time);
    void ReportError(const char* message);
    TimelineEvent* AppendEvent(EventKind kind, uint32_t start);
    bool ParseSceneIdentifier(std::string& rest, std::string& scene, std::string& parameter);
    void ParseTypedValue(TimelineEvent& event, std::string& parameter, const std::string& value);

    void CommandLoadImage(std::string& rest);
    void CommandDefine(std::string& rest);
    void CommandDefinePattern(std::string& rest);
    void CommandSet(std::string& rest, uint32_t time, EventKind kind);
    void CommandFade(std::string& rest, uint32_t time);
    void CommandUsePattern(std::string& rest, uint32_t time);
    void CommandDisablePattern(uint32_t time);
    void CommandLoadMusic(std::string& rest);

    void FireSet(TimelineEvent& event);
    void FireFade(TimelineEvent& event);
    void FireTrigger(TimelineEvent& event, uint8_t value, EventKind next);
    void PlayPatternSteps();
    void PushSteps(const Pattern& pattern, int64_t first, int64_t last);
    void PushPendingStep(char step);
    char PopPendingStep();
    void DeliverStep(char step);

    TimelineHost& host;
    ImageRegistry* imageRegistry = nullptr;
    std::map<std::string, std::string> defines;
    TimelineEvent events[kMaxEvents] = {};
    int32_t eventCount = 0;
    double msPerBeat = 0.0;
    double msPerPosition = 0.0;
    int32_t lineNumber = 0;
    std::string currentLine;
    EffectParams scratchParams = {};
    bool ok = false;
    Pattern patterns[kPatternCount] = {};
    float stepsPerMs = 0.0f;
    uint32_t startTime = 0;
    uint32_t endTime = kNoTime;
    TimelinePlayState play;
    ProgressListener* progressListener = nullptr;
};
