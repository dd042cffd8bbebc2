#pragma once

#include <cstdio>
#include <string>

class Mesh3DS;

// What `demotool mesh` prints: a summary for people, or one compact JSON
// object for other programs.
std::string MeshSummary(const Mesh3DS& mesh);
std::string MeshJson(const Mesh3DS& mesh);

// The whole subcommand: argv[0] is "mesh". Returns 0 when the file loaded
// whole, 1 when it could not be read or had to be repaired, 2 on bad usage.
int RunMeshCommand(int argc, char** argv, std::FILE* out, std::FILE* err);
