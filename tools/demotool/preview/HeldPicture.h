#pragma once

#include <cstdint>

// The show's last picture, kept in a texture of its own so that a paused or
// ended preview can show it again, with or without the strip over it,
// without playing a frame: a frame would draw from the random sequence and
// move the show away from where the whole show is.
class HeldPicture {
public:
    HeldPicture() = default;
    // Deletes its texture: the context it copied from must be current.
    ~HeldPicture();

    HeldPicture(const HeldPicture&) = delete;
    HeldPicture& operator=(const HeldPicture&) = delete;

    // Copies the pixels of a window of that size as they are now.
    void Keep(int32_t width, int32_t height);
    // Draws the picture kept over a whole window of that size.
    void Show(int32_t width, int32_t height) const;
    // True when Show would stretch the picture to that size.
    bool KeptAt(int32_t width, int32_t height) const { return width == keptWidth && height == keptHeight; }

private:
    unsigned texture = 0;
    int32_t keptWidth = 0;
    int32_t keptHeight = 0;
};
