#include "platform/FlacCheck.h"

// The Windows build's mixer is built without a FLAC decoder: no FLAC file can
// be played there, so none is handed over.
bool FlacIsSafeForMixer(SDL_RWops*)
{
    return false;
}
