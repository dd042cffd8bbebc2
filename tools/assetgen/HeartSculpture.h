#pragma once

#include "MeshPart.h"

#include <vector>

// The heart sculpture in file order. The player reveals objects from the
// last to the first, so the list runs backwards through the build: the
// jewel (object 0, revealed last), the eight small hearts that orbit the
// sculpture, the front shards, the back shards, and the twisted cord along
// the outline (revealed first, bottom tip upward).
std::vector<MeshPart> MakeHeartSculpture();
