#pragma once

// The small PNG-to-texture interface the show was written against: read a
// PNG file into the bound GL_TEXTURE_2D. Decoding itself is in PngDecoder.h.

// Mipmap modes.
constexpr int PNG_NOMIPMAPS = 0;
// A full mipmap chain built by GLU, which also scales sides that are not
// powers of two.
constexpr int PNG_BUILDMIPMAPS = -1;

// Transparency modes.
constexpr int PNG_SOLID = -1;  // alpha dropped: RGB
constexpr int PNG_ALPHA = -2;  // the file's alpha kept where it has one

struct pngInfo {
    // The picture's size as stored in the file (not the texture's).
    unsigned int Width;
    unsigned int Height;
    // Bits per texel channel and whether the texture has alpha.
    unsigned int Depth;
    unsigned int Alpha;
};

// Non-zero: pictures load bottom row first, so texture coordinate (0, 0) is
// their bottom-left corner. Process-wide; off until switched on.
void pngSetStandardOrientation(int standardOrientation);

// 1 when the picture was uploaded; 0 otherwise, with info zeroed and the
// reason in pngLastError(). info may be null.
int pngLoad(const char* filename, int mipmap, int trans, pngInfo* info);

// Why the last pngLoad failed; empty after a success.
const char* pngLastError();
