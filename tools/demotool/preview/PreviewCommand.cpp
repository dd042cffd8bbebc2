#include "app/Keyboard.h"
#include "app/ProcessObjects.h"
#include "platform/Messages.h"
#include "tools/demotool/Command.h"
#include "tools/demotool/preview/PreviewKeys.h"
#include "tools/demotool/preview/PreviewSession.h"
#include "tools/demotool/preview/PreviewShow.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr uint32_t kTitleIntervalMs = 200;
// How long a held picture waits for input: short enough for the keyboard's
// auto-repeat and the look at the files, long enough to leave the core alone.
constexpr int kHeldWaitMs = 10;

void PrintHelp(FILE* out)
{
    std::fprintf(out,
                 "usage: demotool preview [DIR]\n"
                 "\n"
                 "Plays the show in DIR (default: the current directory; the script is\n"
                 "DIR/data/script.txt) in an 800x600 window at once, without the fullscreen\n"
                 "question or the disclaimer. When the script, a picture, the mesh or the\n"
                 "music changes on disk the show is rebuilt and goes on at the same time; a\n"
                 "script with faults leaves the last good show playing and the faults are\n"
                 "printed here and shown in the window title.\n"
                 "\n"
                 "keys:\n"
                 "  Space                pause or go on (picture and music); at the end, start over\n"
                 "  Left, Right          one position back or forward\n"
                 "  Page Up, Page Down   eight positions back or forward\n"
                 "  Home                 the script's start time\n"
                 "  F5                   reload now\n"
                 "  Tab                  show or hide the script's lanes along the bottom;\n"
                 "                       a click on them goes to that moment\n"
                 "  T                    unfold (or fold) the parameter tracks of the slot under\n"
                 "                       the mouse on the lanes, else the heart's\n"
                 "  I, O                 the loop's start, then its end, at the playhead: playback\n"
                 "                       goes back to the start each time it reaches the end\n"
                 "  Backspace            no loop\n"
                 "  Escape               quit\n"
                 "\n"
                 "Seeks and reloads land exactly where the whole show is at that time, as a\n"
                 "render from the script's start shows it: the show goes on from a checkpoint,\n"
                 "kept about every second of show while it plays or seeks, a long one with its\n"
                 "progress in the title. A reload keeps the checkpoints from before the script's\n"
                 "first changed event; a changed tempo, Goto, picture, mesh or music keeps none.\n"
                 "Paused, the picture is held and no frame is played.\n"
                 "The title shows the time as #position.beat, in milliseconds, and the frame rate.\n");
}

uint64_t MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                        .count());
}

int PlayPreview()
{
    ProcessObjects objects;
    if (!objects.OpenWindow({"Demo preview", 800, 600, 32, false})) {
        std::fprintf(stderr, "demotool preview: could not open an OpenGL window\n");
        return 1;
    }
    PreviewSession session;
    session.Start();
    PreviewKeys keys;

    const auto start = std::chrono::steady_clock::now();
    uint64_t lastMs = 0;
    uint64_t titleMs = 0;
    while (!PumpPreviewMessages(session, keys, objects.keyboard) && !objects.keyboard.Pressed(VK_ESCAPE)) {
        const uint64_t nowMs = MillisecondsSince(start);
        // Nothing drawn (a seek going on, a picture held): the last one stays.
        if (session.Step(uint32_t(nowMs - lastMs), keys.Repeats(objects.keyboard)))
            objects.Window().Swap();
        else if (!session.IsSeeking())
            SDL_WaitEventTimeout(nullptr, kHeldWaitMs);
        lastMs = nowMs;
        if (nowMs - titleMs >= kTitleIntervalMs || nowMs < kTitleIntervalMs) {
            objects.Window().SetTitle(session.Title().c_str());
            titleMs = nowMs;
        }
    }
    return 0;
}

int RunPreview(int argc, char** argv)
{
    if (WantsHelp(argc, argv)) {
        PrintHelp(stdout);
        return 0;
    }
    std::string directory = ".";
    int directories = 0;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "demotool preview: unknown option '%s'\n", argv[i]);
            return 2;
        }
        directory = argv[i];
        ++directories;
    }
    if (directories > 1) {
        std::fprintf(stderr, "demotool preview: one directory at most\n");
        return 2;
    }
    // The show names its files relative to its own directory, as the player
    // reads them relative to where it runs.
    std::error_code error;
    std::filesystem::current_path(directory, error);
    if (error) {
        std::fprintf(stderr, "demotool preview: cannot enter %s: %s\n", directory.c_str(), error.message().c_str());
        return 1;
    }
    if (!std::filesystem::is_regular_file(PreviewShow::kScriptPath, error)) {
        std::fprintf(stderr, "demotool preview: %s has no %s\n", directory.c_str(), PreviewShow::kScriptPath);
        return 1;
    }
    return PlayPreview();
}

const Command g_previewCommand("preview", "play the show for its author: live reload, seeking, pause", RunPreview);

} // namespace
