#include "tools/demotool/Command.h"
#include "tools/demotool/render/RenderOptions.h"
#include "tools/demotool/render/SplitRender.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: demotool join --video FILE.mp4 [--goto TIME] [--from TIME] [--to TIME] [--fps N] [--size WxH]\n"
    "                     [--quality draft|high|master] [--dir DIR] (PIECE.mp4... | --pieces N PATTERN)\n"
    "\n"
    "Joins the pieces of one range, each rendered on its own (with 'demotool render --video PIECE\n"
    "--from A --to B', possibly on other machines), into the video of the whole range: their\n"
    "pictures one after the other without encoding them again, and the music of the range once.\n"
    "Give the options of a render of the whole range (its --quality too) and the pieces in order.\n"
    "Cut the range at times where the previous piece's --to equals the next one's --from; any time\n"
    "works, and the frames of the pieces are those of the whole. Pieces of another size, rate or\n"
    "quality are refused.\n"
    "\n"
    "  --pieces N PATTERN  the pieces of 'demotool render --piece K/N' for K from 1 to N, named by\n"
    "                      PATTERN with {} where K goes (quote it); a K whose piece holds no frame\n"
    "                      (a range of fewer than N frames) is skipped, as render wrote nothing\n"
    "\n"
    "example:\n"
    "  demotool render --video a.mp4 --from '#40.0' --to '#56.0'\n"
    "  demotool render --video b.mp4 --from '#56.0' --to '#72.0'\n"
    "  demotool join --video all.mp4 --from '#40.0' --to '#72.0' a.mp4 b.mp4\n"
    "  parallel -q demotool render --video piece-{}.mp4 --piece {}/4 --to 60s ::: 1 2 3 4\n"
    "  demotool join --video all.mp4 --to 60s --pieces 4 'piece-{}.mp4'\n";

int RunJoin(int argc, char** argv)
{
    RenderOptions options;
    std::vector<std::string> pieces;
    std::string error;
    if (!ParseRenderOptions(argc, argv, options, error, &pieces) || options.mode != RenderMode::Video ||
        pieces.empty() || options.jobs != 1)
        return RefuseArguments("join", error.empty() ? "give --video FILE.mp4 and the pieces" : error, kUsage);
    if (options.piece > 0)
        return RefuseArguments("join", "--piece renders one piece: join them with --pieces N PATTERN", kUsage);
    if (options.joinCount > 0 && (pieces.size() != 1 || pieces.front().find("{}") == std::string::npos))
        return RefuseArguments("join", "--pieces N takes one PATTERN, with {} where K goes", kUsage);
    // Made absolute before --dir changes the directory.
    for (std::string& piece : pieces)
        piece = std::filesystem::absolute(piece).lexically_normal().string();
    if (!PrepareOutput(options, error))
        return FailCommand("join", error);
    if (!options.dir.empty() && chdir(options.dir.c_str()) != 0)
        return FailCommand("join", "cannot enter " + options.dir);
    return JoinPieces(options, pieces, error) ? 0 : FailCommand("join", error);
}

const Command kJoin("join", "join pieces of one range rendered apart into its video, music added once", RunJoin,
                    kUsage);

} // namespace
