#include "tools/demotool/script/ScriptSession.h"

#include "platform/FileRead.h"
#include "tools/demotool/script/StartUpNeeds.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

bool RecordingTimelineHost::LoadImage(ImageRegistry*, const std::string& handle, const std::string& path,
                                      int32_t wrapMode)
{
    pictures.push_back({timeline ? timeline->LineNumber() : 0, handle, path, wrapMode});
    return true;
}

bool RecordingTimelineHost::LoadMusic(const std::string& path)
{
    music.push_back({timeline ? timeline->LineNumber() : 0, path});
    return true;
}

void RecordingTimelineHost::SetMusicPosition(uint32_t milliseconds) { musicPositions.push_back(milliseconds); }

void RecordingTimelineHost::ReportFault(const char* message, int32_t line, const std::string& lineText,
                                        const std::string&)
{
    faults.push_back({message, line, lineText});
}

ScriptSession::ScriptSession() : timeline(std::make_unique<Timeline>(host))
{
    host.timeline = timeline.get();
    timeline->SetProgressListener(this);
}

ScriptSession::~ScriptSession() = default;

bool ScriptSession::Load(const char* path)
{
    // Read here rather than by the timeline, which only says that it read
    // nothing: the user learns of a directory or an unreadable file as of a
    // missing one. Read once, so that a pipe gives its text to the timeline.
    std::string bytes;
    const FileRead read = ReadWholeFile(path, bytes);
    if (read != FileRead::Ok) {
        std::fprintf(stderr, "demotool: cannot %s '%s': %s\n", read == FileRead::CannotOpen ? "open" : "read", path,
                     std::strerror(errno));
        return false;
    }
    // Split as the timeline splits: the text ends at a Ctrl-Z, CR LF is a line end.
    std::string_view text(bytes.data(), std::min(bytes.find('\x1a'), bytes.size()));
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        rawLines.emplace_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    tempos.push_back({0, timeline->MsPerBeat(), timeline->MsPerPosition()});
    ok = timeline->LoadFromMemory(bytes.data(), bytes.size(), nullptr);
    return true;
}

const std::string& ScriptSession::RawLine(int32_t line) const
{
    static const std::string none;
    return line >= 1 && size_t(line) <= rawLines.size() ? rawLines[size_t(line) - 1] : none;
}

bool ScriptSession::LoadShow(const char* path)
{
    if (!Load(path))
        return false;
    RequireStartUp();
    PrintFaults(path, host.faults);
    return true;
}

void ScriptSession::RequireStartUp()
{
    const auto loads = [&](const std::string& name) {
        for (const PictureLoad& picture : host.pictures)
            if (picture.handle == name)
                return true;
        return false;
    };
    const std::string missing = MissingPicturesFault(loads);
    if (!missing.empty()) {
        host.faults.push_back({missing, 0, ""});
        ok = false;
    }
}

void ScriptSession::Progress()
{
    ++linesRead;
    eventLines.resize(static_cast<size_t>(timeline->EventCount()), linesRead);
    if (timeline->MsPerBeat() != tempos.back().msPerBeat || timeline->MsPerPosition() != tempos.back().msPerPosition)
        tempos.push_back({linesRead, timeline->MsPerBeat(), timeline->MsPerPosition()});
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            // Scripts are single-byte text; other bytes are kept as the
            // code points of the same number.
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonDouble(double value)
{
    // JSON has no number for these; a script reaches them with a literal
    // like 1e400 or a fade between infinities.
    if (std::isnan(value))
        return "\"nan\"";
    if (std::isinf(value))
        return value > 0 ? "\"inf\"" : "\"-inf\"";
    char text[32];
    std::snprintf(text, sizeof(text), "%.17g", value);
    return text;
}

std::string FaultJson(const ScriptFault& fault)
{
    return "{\"fault\":" + JsonString(fault.message) + ",\"line\":" + std::to_string(fault.line) +
           ",\"text\":" + JsonString(fault.text) + "}";
}

void PrintFaults(const char* script, const std::vector<ScriptFault>& faults)
{
    for (const ScriptFault& fault : faults)
        if (fault.line == 0)
            std::printf("%s: %s\n", script, fault.message.c_str());
        else
            std::printf("%s:%d: %s\n%s\n", script, fault.line, fault.message.c_str(), fault.text.c_str());
}

const char* EventKindName(EventKind kind)
{
    switch (kind) {
    case EventKind::Set: return "Set";
    case EventKind::Fade: return "Fade";
    case EventKind::Done: return "Done";
    case EventKind::PatternSwitch: return "PatternSwitch";
    case EventKind::Trigger: return "Trigger";
    case EventKind::TriggerRelease: return "TriggerRelease";
    }
    return "?";
}

const char* ValueTypeName(ValueType type)
{
    switch (type) {
    case ValueType::Dbl: return "Dbl";
    case ValueType::Lng: return "Lng";
    case ValueType::Bool: return "Bool";
    }
    return "?";
}
