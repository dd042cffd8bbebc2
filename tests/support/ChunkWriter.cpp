#include "tests/support/ChunkWriter.h"

#include <cstring>

void ChunkWriter::Begin(uint16_t id)
{
    open.push_back(bytes.size());
    chunkStarts.push_back(bytes.size());
    U16(id);
    U32(0);
}

void ChunkWriter::End()
{
    if (open.empty())
        return;
    const size_t start = open.back();
    open.pop_back();
    PatchU32(LengthField(start), uint32_t(bytes.size() - start));
}

void ChunkWriter::U8(uint8_t value)
{
    bytes.push_back(value);
}

void ChunkWriter::U16(uint16_t value)
{
    bytes.push_back(uint8_t(value));
    bytes.push_back(uint8_t(value >> 8));
}

void ChunkWriter::U32(uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(uint8_t(value >> shift));
}

void ChunkWriter::F32(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    U32(bits);
}

void ChunkWriter::String(const char* text)
{
    bytes.insert(bytes.end(), text, text + std::strlen(text) + 1);
}

void ChunkWriter::PatchU32(size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = uint8_t(value >> (8 * i));
}
