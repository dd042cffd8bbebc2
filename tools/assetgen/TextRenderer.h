#pragma once

#include "Canvas.h"

#include <string>

// Lays out one line of text with a TrueType font into a canvas-sized mask.
class TextRenderer {
public:
    TextRenderer();
    ~TextRenderer();
    TextRenderer(const TextRenderer&) = delete;
    TextRenderer& operator=(const TextRenderer&) = delete;

    // False (with a message) when the font cannot be opened.
    bool Open(const std::string& fontPath);

    // Draws the text centred on centreX with its baseline at baselineY;
    // size is the em height and tracking extra space per letter, both in the
    // canvas's logical units. ASCII only.
    Mask Line(const Canvas& canvas, const std::string& text, double size, double centreX,
              double baselineY, double tracking = 0.0) const;

    // Width of the line in logical units.
    double Width(const Canvas& canvas, const std::string& text, double size, double tracking = 0.0) const;

private:
    void SetSize(const Canvas& canvas, double size) const;

    void* library_ = nullptr;
    void* face_ = nullptr;
};

// The fonts the pictures use, from the fonts-dejavu-core package.
extern const char* const kFontSansBold;
extern const char* const kFontSans;
extern const char* const kFontSerif;
