#pragma once

#include "MeshPart.h"

#include <cstdint>
#include <vector>

// Writes the parts as a 3D Studio file: one material chunk per distinct
// material name and one named object per part, each with its vertex list,
// face list and one face material group holding all of its faces.
// False when a part has too many vertices or faces for the format.
bool EncodeThreeDs(const std::vector<MeshPart>& parts, std::vector<uint8_t>& out);
