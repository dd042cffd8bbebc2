#pragma once

#include "Canvas.h"

#include <string>
#include <vector>

struct NamedPicture {
    std::string fileName; // e.g. "pic1.png"
    Canvas canvas;
};

// Every picture of the show: the disclaimer, the sphere map, the noise, the
// corner mark, the full-screen logo and the six full-screen overlays.
// Empty when a font is missing.
std::vector<NamedPicture> MakePictures();
