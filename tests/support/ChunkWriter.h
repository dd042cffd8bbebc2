#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Builds 3D Studio chunk trees byte by byte, little-endian, for tests,
// benchmarks and seed files. Begin/End nest; End patches the length.
class ChunkWriter {
public:
    void Begin(uint16_t id);
    void End();

    void U8(uint8_t value);
    void U16(uint16_t value);
    void U32(uint32_t value);
    void F32(float value);
    // With its terminating zero.
    void String(const char* text);

    // Offset of the length field of the chunk begun at `chunkStart`, for
    // tests that corrupt lengths afterwards.
    static size_t LengthField(size_t chunkStart) { return chunkStart + 2; }
    void PatchU32(size_t at, uint32_t value);

    size_t Size() const { return bytes.size(); }

    std::vector<uint8_t> bytes;
    // Start offset of every chunk in the order they were begun.
    std::vector<size_t> chunkStarts;

private:
    std::vector<size_t> open;
};
