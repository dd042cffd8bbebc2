#pragma once

#include <cstddef>
#include <cstdint>

// A file's bytes mapped read-only, so that a reader can walk a large file in
// place instead of copying it. Only regular, non-empty files map; for anything
// else (a pipe, a device, an empty file) Map fails and the caller reads the
// file the ordinary way.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool Map(const char* path);

    // Null and 0 until a Map succeeds.
    const uint8_t* Data() const { return data; }
    size_t Size() const { return size; }

private:
    const uint8_t* data = nullptr;
    size_t size = 0;
};
