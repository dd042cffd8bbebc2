#pragma once

#include <string>

// Each subcommand of demotool lives in its own file and registers itself with
// a static Command object, so adding one touches no other file.
struct Command {
    const char* name;
    const char* summary;
    // argv[0] is the subcommand's name; returns the process exit status.
    int (*run)(int argc, char** argv);
    // Printed instead of running when "--help" or "-h" is among the
    // arguments; null for a command that answers them itself.
    const char* help;

    Command(const char* name, const char* summary, int (*run)(int, char**), const char* help = nullptr);
};

// True when argv holds "--help" or "-h".
bool WantsHelp(int argc, char** argv);
// "demotool COMMAND: MESSAGE" on standard error, then the usage when there is
// one; returns 2, the status of wrong arguments.
int RefuseArguments(const char* command, const std::string& message, const char* usage = nullptr);
// "demotool COMMAND: MESSAGE" on standard error; returns 1.
int FailCommand(const char* command, const std::string& message);
