#include "tools/demotool/Command.h"
#include "tools/demotool/render/RenderOptions.h"
#include "tools/demotool/render/SplitRender.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: demotool join --video FILE.mp4 [--goto TIME] [--from TIME] [--to TIME] [--fps N] [--size WxH]\n"
    "                     [--dir DIR] PIECE.mp4...\n"
    "\n"
    "Joins the pieces of one range, each rendered on its own (with 'demotool render --video PIECE\n"
    "--from A --to B', possibly on other machines), into the video of the whole range: their\n"
    "pictures one after the other without encoding them again, and the music of the range once.\n"
    "Give the options of a render of the whole range and the pieces in order. Cut the range at\n"
    "times where the previous piece's --to equals the next one's --from; any time works, and the\n"
    "frames of the pieces are those of the whole.\n"
    "\n"
    "example:\n"
    "  demotool render --video a.mp4 --from '#40.0' --to '#56.0'\n"
    "  demotool render --video b.mp4 --from '#56.0' --to '#72.0'\n"
    "  demotool join --video all.mp4 --from '#40.0' --to '#72.0' a.mp4 b.mp4\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "demotool join: %s\n", message.c_str());
    return 1;
}

// Options with a value take the next argument along; what is left are the
// pieces, made absolute before --dir changes the directory.
void SplitArguments(int argc, char** argv, std::vector<char*>& options, std::vector<std::string>& pieces)
{
    options.push_back(argv[0]);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) != 0) {
            pieces.push_back(std::filesystem::absolute(argv[i]).lexically_normal().string());
            continue;
        }
        options.push_back(argv[i]);
        if (std::strcmp(argv[i], "--with-intro") != 0 && i + 1 < argc)
            options.push_back(argv[++i]);
    }
}

int RunJoin(int argc, char** argv)
{
    if (WantsHelp(argc, argv)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::vector<char*> optionArguments;
    std::vector<std::string> pieces;
    SplitArguments(argc, argv, optionArguments, pieces);
    RenderOptions options;
    std::string error;
    if (!ParseRenderOptions(int(optionArguments.size()), optionArguments.data(), options, error) ||
        options.mode != RenderMode::Video || pieces.empty() || options.jobs != 1) {
        if (error.empty())
            error = "give --video FILE.mp4 and the pieces";
        std::fprintf(stderr, "demotool join: %s\n\n%s", error.c_str(), kUsage);
        return 2;
    }
    for (const std::string& piece : pieces)
        if (!std::filesystem::is_regular_file(piece))
            return Fail("no piece " + piece);
    if (!PrepareOutput(options, error))
        return Fail(error);
    if (!options.dir.empty() && chdir(options.dir.c_str()) != 0)
        return Fail("cannot enter " + options.dir);
    return JoinPieces(options, pieces, error) ? 0 : Fail(error);
}

const Command kJoin("join", "join pieces of one range rendered apart into its video, music added once", RunJoin);

} // namespace
