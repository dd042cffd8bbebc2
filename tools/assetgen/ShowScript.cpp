#include "ShowScript.h"

const char* const kMusicFileName = "cordel.ogg";

namespace {

// One line per command; the player grows its loading picture by one step
// per line, so the line count (149 lines and the empty one after the last
// line break) takes it from a quarter to full size.
const char* const kScript = R"(// cordel - a lumora show
// 80 positions of 4 beats at 125 BPM: one position is 1920 ms, #P.B is position P, beat B.
// Scenes: 0 glow begin, 1 perspective, 2 logo, 3 heart, 4 pictures, 5 glow compose.
// Made by tools/assetgen: change the generator and regenerate, as the README says.
// Where the files live, relative to the repository root.
Define _IMG_DIR=data/png/
Define _MUSIC_DIR=data/music/
// Scene numbers.
Define @begin=0
Define @lens=1
Define @logo=2
Define @heart=3
Define @pics=4
Define @compose=5
// Pictures of the picture scene, its lng.0: @none shows none.
Define @none=-1
Define @frame=0
Define @vignette=1
Define @monitor=2
Define @words=3
Define @letterbox=4
Define @thanks=5
// The heart's sphere map, the static (repeated, so zoomed-out copies tile), the corner mark, the logo.
LoadImage envmap envmap.png
LoadImage noise noise.png repeat
LoadImage logo logo.png
LoadImage lumora lumora.png
LoadImage pic1 pic1.png
LoadImage pic2 pic2.png
LoadImage pic3 pic3.png
LoadImage pic4 pic4.png
LoadImage pic5 pic5.png
LoadImage pic6 pic6.png

LoadMusic cordel.ogg 125 4

// Patterns play four steps per beat and send every step to all scenes:
// any step flashes the static and throws the wobble, "*" also reveals the
// next piece of the heart (65 pieces: cord, back, front, orbit, jewel).
// Switching patterns skips the new pattern's first step, so every pattern
// after the first is switched in one step early and written rotated by one.
// 0: intro, a flash on each downbeat.
DefinePattern 0 x...............
// 1: the build, a piece every two beats.
DefinePattern 1 .*......
// 2: the melody, a piece every two beats and a flash before each bar.
DefinePattern 2 .*.......*.....x
// 3: the break, one piece per bar.
DefinePattern 3 .*..............
// 4: the rise, one orbiting heart per bar and flashes that crowd toward the drop.
DefinePattern 4 x*...............*...............*...............*...............*.......x.......*.......x.......*...x...x...x...*.x.x.x.x.x.xxx
// 5: the drop, the jewel on its first step, then flashes with the snare.
DefinePattern 5 .*...x.......x..
// 6: the outro, one flash per bar.
DefinePattern 6 .x..............

// Authors: uncomment to start at the rise; heart pieces due before it stay hidden.
// Goto #40.0

// --- intro: the violet logo alone, pads and a plucked arpeggio ------------
#0.0 Set scene.@begin.RUN
#0.0 Set scene.@compose.RUN
#0.0 Set scene.@logo.RUN
#0.0 Set scene.@pics.lng.0 @none
#0.0 Set scene.@pics.RUN
#0.0 UsePattern 0
// The logo's dbl.0 follows the pad swell; no scene reads it, it marks the swell for timeline tools.
#0.0 Set scene.@logo.dbl.0 0.0
#0.0 Fade scene.@logo.dbl.0 from 0.0 to 1.0 time #4.0
#2.0 Set scene.@pics.lng.0 @frame
#6.0 Set scene.@pics.lng.0 @vignette
// --- groove: kick and bass; the heart's cord appears, bottom tip first ----
#7.3.75 UsePattern 1
#8.0 Set scene.@logo.STOP
#8.0 Set scene.@lens.bool.0 true
#8.0 Set scene.@heart.RUN
#12.0 Set scene.@pics.lng.0 @frame
#14.0 Set scene.@pics.lng.0 @vignette
// --- drums: snare and hats; the back shards ------------------------------
#16.0 Set scene.@pics.lng.0 @monitor
#18.0 Set scene.@pics.lng.0 @vignette
#20.0 Set scene.@pics.lng.0 @monitor
#22.0 Set scene.@pics.lng.0 @frame
// --- melody: the lead enters; the front shards begin ---------------------
#23.3.75 UsePattern 2
#24.0 Set scene.@pics.lng.0 @words
#26.0 Set scene.@pics.lng.0 @frame
#28.0 Set scene.@pics.lng.0 @words
#30.0 Set scene.@pics.lng.0 @monitor
// --- break: no drums; the logo returns behind the heart ------------------
#31.3.75 UsePattern 3
#32.0 Set scene.@logo.RUN
#32.0 Set scene.@pics.lng.0 @none
#32.0 Trig scene.@compose.bool.10 true
#36.0 Set scene.@pics.lng.0 @vignette
// --- rise: snare roll; eight small hearts pull the camera back -----------
#39.3.75 UsePattern 4
#40.0 Set scene.@logo.bool.0 false
#40.0 Set scene.@pics.lng.0 @letterbox
#44.0 Set scene.@pics.lng.0 @monitor
#46.0 Set scene.@pics.lng.0 @letterbox
#47.3.0 Set scene.@pics.lng.0 @none

// --- drop: the jewel completes the heart; pictures change every bar ------
#47.3.75 UsePattern 5
#48.0 Set scene.@pics.lng.0 @frame
#48.0 Trig scene.@pics.bool.10 true
#49.0 Set scene.@pics.lng.0 @vignette
#50.0 Set scene.@pics.lng.0 @monitor
#51.0 Set scene.@pics.lng.0 @letterbox
#52.0 Set scene.@pics.lng.0 @words
#53.0 Set scene.@pics.lng.0 @frame
#54.0 Set scene.@pics.lng.0 @monitor
#55.0 Set scene.@pics.lng.0 @vignette

// --- lift: the melody an octave up ---------------------------------------
#56.0 Set scene.@pics.lng.0 @words
#57.0 Set scene.@pics.lng.0 @none
#58.0 Set scene.@pics.lng.0 @letterbox
#59.0 Set scene.@pics.lng.0 @none
#60.0 Set scene.@pics.lng.0 @frame
#61.0 Set scene.@pics.lng.0 @none
#62.0 Set scene.@pics.lng.0 @monitor
#63.0 Set scene.@pics.lng.0 @words
#63.2 Set scene.@pics.lng.0 @frame

// --- outro: snare and lead leave; the logo comes back --------------------
#63.3.75 UsePattern 6
#64.0 Set scene.@pics.lng.0 @vignette
#66.0 Set scene.@pics.lng.0 @words
#68.0 Set scene.@logo.RUN
#68.0 Set scene.@pics.lng.0 @none
#70.0 Set scene.@pics.lng.0 @vignette

// --- ending: the heart over the logo, then the closing card --------------
#72.0 DisablePattern
#72.0 Set scene.@pics.lng.0 @none
#72.0 Trig scene.@pics.bool.10 true
#72.0 Trig scene.@compose.bool.10 true
#76.0 Set scene.@heart.STOP
#76.0 Set scene.@lens.STOP
#76.0 Set scene.@logo.STOP
#76.0 Set scene.@pics.lng.0 @thanks
#76.0 Trig scene.@pics.bool.10 true
#76.0 Trig scene.@compose.bool.10 true
#76.0 Fade scene.@logo.dbl.0 from 1.0 to 0.0 time #4.0

// The music ends with position 80.
End #80.0
)";

} // namespace

const std::string& ShowScript()
{
    static const std::string script(kScript);
    return script;
}
