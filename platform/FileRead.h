#pragma once

// Files are named in UTF-8 on every system, as SDL names them and as the
// show's paths are written. Windows' narrow C calls would take the name in the
// ANSI code page, where a name outside it cannot be opened at all.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Binary mode. Null, with errno telling why, when it cannot be opened.
std::FILE* OpenFileForReading(const char* path);

// False for a directory, a device or a pipe, and when the system cannot tell.
bool IsRegularFile(std::FILE* file);

enum class FileRead { Ok, CannotOpen, CannotRead, TooLarge };

// The whole file, read to its end, so a pipe gives all it has. A file longer
// than `maxBytes` is TooLarge. After CannotOpen or CannotRead, errno tells the
// system's reason.
FileRead ReadWholeFile(const char* path, std::string& bytes, size_t maxBytes = SIZE_MAX);
