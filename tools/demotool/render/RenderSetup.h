#pragma once

#include "offline/OfflineShow.h"
#include "offline/RenderPieces.h"
#include "tools/demotool/render/RenderOptions.h"

#include <cstdint>
#include <string>

class Timeline;

// The show's settings that the options ask for.
OfflineSettings ShowSettingsOf(const RenderOptions& options);
// --goto and --from against the loaded script. False with a reason.
bool ResolveStart(const RenderOptions& options, const Timeline& timeline, RenderRange& range, std::string& error);
// The whole range: --to, else the script's end, else the music's length.
bool ResolveRange(const RenderOptions& options, OfflineShow& show, RenderRange& range, std::string& error);
// Starts the show at the range's start and plays it undrawn up to the first
// frame at or after `from`. False when the show ends before.
bool StartRange(OfflineShow& show, const RenderRange& range, uint32_t from, std::string& error);
