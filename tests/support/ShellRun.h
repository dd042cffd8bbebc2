#pragma once

#include <string>

// What a shell command printed on standard output, and its exit status (-1
// when it did not exit normally).
struct ToolRun {
    int status;
    std::string out;
};

// Runs a command line through the shell, as a user at a terminal would.
ToolRun RunShell(const std::string& command);
