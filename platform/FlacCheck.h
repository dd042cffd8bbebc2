#pragma once

#include <SDL.h>

// The mixer's FLAC decoder trusts that every frame carries as many channels
// as the stream info says, and reads a missing channel through a null
// pointer. Decodes the whole file once and tells whether every frame agrees
// with the stream info. Reads `source` from where it stands and leaves it at
// the end.
bool FlacFramesMatchStreamInfo(SDL_RWops* source);
