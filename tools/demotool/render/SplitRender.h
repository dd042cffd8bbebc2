#pragma once

#include "tools/demotool/render/RenderOptions.h"

#include <string>
#include <vector>

// Renders the video's range in options.jobs processes of this program at
// once, each a piece of consecutive frames fast-forwarded to its own start
// and encoded on its own (so each begins with a key frame), then joins them.
// Needs PrepareOutput done and the show's directory current.
bool RenderVideoInPieces(const RenderOptions& options, std::string& error);

// Narrows the options' --from and --to to the piece that --piece K/N names,
// cut as --jobs cuts the range. With fewer frames than N some places hold no
// frame: `empty` then says there is nothing to render, and join skips them.
bool NarrowToPiece(RenderOptions& options, bool& empty, std::string& error);

// Writes options.output from pieces rendered on their own with --from and
// --to, in order: their pictures one after the other as they are, not
// encoded again, and the music of the whole range once. The options are
// those of a render of the whole range. With --pieces N, `pieces` holds one
// name whose "{}" stands for each K of --piece K/N that holds frames.
bool JoinPieces(const RenderOptions& options, const std::vector<std::string>& pieces, std::string& error);
