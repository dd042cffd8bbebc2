#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Creates a directory and its parents; true when it exists afterwards.
bool MakeDirectories(const std::string& path);

// Writes the bytes to the file, replacing it; false (with a message on
// stderr) when the file cannot be written.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteFileText(const std::string& path, const std::string& text);
