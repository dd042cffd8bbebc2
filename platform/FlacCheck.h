#pragma once

#include <SDL.h>

// The mixer's FLAC decoder trusts two things it should not: that every frame
// carries as many channels as the stream info says (it reads a missing
// channel through a null pointer), and that no tag comment is empty (it reads
// an empty one as a null string). It also leaks when a file fails after its
// stream info or repeats it, so such files are refused here too. Decodes the
// whole file once and tells whether it is safe to hand over. Reads `source` from where it stands and
// leaves it at the end.
bool FlacIsSafeForMixer(SDL_RWops* source);
