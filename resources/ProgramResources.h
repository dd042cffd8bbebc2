#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Program texts built into the executable. Each file resources/programs/<name>.fp
// of the source tree becomes the resource <name>, its bytes kept exactly as
// stored. A zero follows the last byte, outside size, for readers that look
// for the end by a zero.
struct ProgramResource {
    const char* name;
    const uint8_t* bytes;
    size_t size;
};

// The whole table, generated at build time.
std::span<const ProgramResource> ProgramResourceTable();

// Null when no resource has exactly this name.
const ProgramResource* FindProgramResource(std::string_view name);
