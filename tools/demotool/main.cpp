#include "tools/demotool/Command.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxCommands = 32;
const Command* g_commands[kMaxCommands];
int g_commandCount = 0;

void PrintUsage(FILE* out)
{
    std::fprintf(out, "usage: demotool COMMAND [ARGS...]\n\ncommands:\n");
    for (int i = 0; i < g_commandCount; ++i)
        std::fprintf(out, "  %-10s %s\n", g_commands[i]->name, g_commands[i]->summary);
    std::fprintf(out, "\n'demotool COMMAND --help' explains one command.\n");
}

} // namespace

Command::Command(const char* commandName, const char* commandSummary, int (*commandRun)(int, char**),
                 const char* commandHelp)
    : name(commandName), summary(commandSummary), run(commandRun), help(commandHelp)
{
    if (g_commandCount < kMaxCommands)
        g_commands[g_commandCount++] = this;
}

bool WantsHelp(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    return false;
}

int RefuseArguments(const char* command, const std::string& message, const char* usage)
{
    std::fprintf(stderr, "demotool %s: %s\n%s%s", command, message.c_str(), usage ? "\n" : "", usage ? usage : "");
    return 2;
}

int FailCommand(const char* command, const std::string& message)
{
    std::fprintf(stderr, "demotool %s: %s\n", command, message.c_str());
    return 1;
}

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (int i = 0; i < g_commandCount; ++i) {
        const Command& command = *g_commands[i];
        if (std::strcmp(command.name, argv[1]) != 0)
            continue;
        if (command.help && WantsHelp(argc - 1, argv + 1)) {
            std::fputs(command.help, stdout);
            return 0;
        }
        return command.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "demotool: unknown command '%s'\n\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
