#include "app/ShowLineup.h"
#include "effects/EffectParameters.h"
#include "tools/demotool/Command.h"
#include "tools/demotool/script/ScriptSession.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

enum class Format { Text, Json, Markdown };

std::string Place(const EffectParameter& parameter)
{
    return std::string(ParamKindWord(parameter.kind)) + "." + std::to_string(parameter.index);
}

// A step written '*' would start emphasis in a table cell.
std::string MarkdownCell(const char* text)
{
    std::string cell;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '*' || *c == '|')
            cell += '\\';
        cell += *c;
    }
    return cell;
}

void PrintText()
{
    std::printf("%-6s%-14s%-11s%-9s%-29s%-21s%s\n", "scene", "effect", "parameter", "name", "range", "read by",
                "what it does");
    for (const EffectParameter& parameter : EffectParameters())
        std::printf("%-6d%-14s%-11s%-9s%-29s%-21s%s\n", parameter.slot, ShowLineup::SlotName(parameter.slot),
                    Place(parameter).c_str(), parameter.name, parameter.range, parameter.readBy, parameter.does);
}

void PrintJson()
{
    for (const EffectParameter& parameter : EffectParameters())
        std::printf("{\"scene\":%d,\"effect\":%s,\"type\":\"%s\",\"index\":%d,\"name\":%s,\"range\":%s,"
                    "\"readBy\":%s,\"does\":%s}\n",
                    parameter.slot, JsonString(ShowLineup::SlotName(parameter.slot)).c_str(),
                    ParamKindWord(parameter.kind), parameter.index, JsonString(parameter.name).c_str(),
                    JsonString(parameter.range).c_str(), JsonString(parameter.readBy).c_str(),
                    JsonString(parameter.does).c_str());
}

void PrintMarkdown()
{
    std::printf("| scene | effect | parameter | name | range | read by | what it does |\n"
                "|---|---|---|---|---|---|---|\n");
    for (const EffectParameter& parameter : EffectParameters())
        std::printf("| %d | %s | `%s` | %s | %s | %s | %s |\n", parameter.slot, ShowLineup::SlotName(parameter.slot),
                    Place(parameter).c_str(), parameter.name, MarkdownCell(parameter.range).c_str(),
                    parameter.readBy, MarkdownCell(parameter.does).c_str());
}

const char* const kUsage = "usage: demotool params [--json | --markdown]\n";

const char* const kHelp =
    "usage: demotool params [--json | --markdown]\n\n"
    "Prints every parameter that the show's effects read, as the script addresses\n"
    "it (scene.SCENE.TYPE.INDEX): its name, values, which pass reads it and what it\n"
    "does. A parameter not listed is read by no effect; check warns about setting it.\n"
    "--json prints one JSON object per parameter and line, --markdown a table.\n";

int RunParams(int argc, char** argv)
{
    Format format = Format::Text;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0 && format == Format::Text)
            format = Format::Json;
        else if (std::strcmp(argv[i], "--markdown") == 0 && format == Format::Text)
            format = Format::Markdown;
        else
            return RefuseArguments("params", std::string("unexpected '") + argv[i] + "'", kUsage);
    }
    switch (format) {
    case Format::Text: PrintText(); break;
    case Format::Json: PrintJson(); break;
    case Format::Markdown: PrintMarkdown(); break;
    }
    return 0;
}

const Command params("params", "list the parameters the effects read, with their meaning", RunParams, kHelp);

} // namespace
