#pragma once

// Each subcommand of demotool lives in its own file and registers itself with
// a static Command object, so adding one touches no other file.
struct Command {
    const char* name;
    const char* summary;
    // argv[0] is the subcommand's name; returns the process exit status.
    int (*run)(int argc, char** argv);

    Command(const char* name, const char* summary, int (*run)(int, char**));
};

// True when argv holds "--help" or "-h".
bool WantsHelp(int argc, char** argv);
